#include "platform/process/FreedMemory.h"

#include <malloc.h>

namespace veilport::process {

void returnFreedMemory() {
#ifdef __GLIBC__
    static_cast<void>(::malloc_trim(0));
#endif
}

}  // namespace veilport::process
