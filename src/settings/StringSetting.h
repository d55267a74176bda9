#pragma once

#include "settings/Setting.h"
