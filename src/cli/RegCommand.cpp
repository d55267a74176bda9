#include "cli/RegCommand.h"

#include <charconv>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "platform/registry/Registry.h"
#include "settings/SettingPath.h"

namespace veilport::cli {

namespace {

using namespace veilport::registry;

struct ValuePath {
    Root root;
    SettingPath path;
};

// "HKLM\Software\Veilport\LocalPort": the root, then a setting path.
bool ParseRootAndRest(std::string_view text, Root& root, std::string_view& rest) {
    const auto slash = text.find('\\');
    if (!parseRoot(text.substr(0, slash), root)) return false;
    rest = slash == std::string_view::npos ? std::string_view{} : text.substr(slash + 1);
    return true;
}

std::string FormatData(ValueType type, const std::vector<std::byte>& data) {
    switch (type) {
        case kTypeDword: {
            std::uint32_t value = 0;
            for (std::size_t i = 0; i < data.size() && i < 4; ++i)
                value |= static_cast<std::uint32_t>(data[i]) << (8 * i);
            return std::to_string(value);
        }
        case kTypeSz:
        case kTypeExpandSz: {
            std::string text(reinterpret_cast<const char*>(data.data()), data.size());
            return text.substr(0, text.find('\0'));
        }
        default: {
            std::string hex;
            char pair[4];
            for (std::byte b : data) {
                std::snprintf(pair, sizeof(pair), "%02x", static_cast<unsigned>(b));
                hex += hex.empty() ? "" : " ";
                hex += pair;
            }
            return hex;
        }
    }
}

void PrintValue(std::ostream& out, std::string_view name, ValueType type,
                const std::vector<std::byte>& data) {
    out << (name.empty() ? "(Default)" : name) << '\t' << typeName(type) << '\t'
        << FormatData(type, data) << '\n';
}

int Refused(std::ostream& err, std::string_view what, Status status) {
    err << "veilportctl: " << what << " failed (status " << status << ")\n";
    return status == kFileNotFound ? kExitNotFound : kExitFailed;
}

bool ParseValuePath(std::string_view text, ValuePath& out) {
    std::string_view rest;
    if (!ParseRootAndRest(text, out.root, rest) || rest.empty()) return false;
    out.path = SettingPath::split(rest);
    return true;
}

int Query(Args args, std::ostream& out, std::ostream& err) {
    ValuePath target;
    if (args.size() != 1 || !ParseValuePath(args[0], target))
        return UsageError(err,
                          "reg query expects one PATH such as HKLM\\Software\\Veilport\\LocalPort");
    KeyHandle key;
    if (openKey(target.root, target.path.keyPath, kKeyRead, key) != kSuccess) {
        err << "veilportctl: no key " << target.path.keyPath << '\n';
        return kExitNotFound;
    }
    ValueType type = kTypeNone;
    std::uint32_t size = 0;
    std::vector<std::byte> data;
    Status status = queryValue(key, target.path.valueName, &type, nullptr, &size);
    while (status == kSuccess || status == kMoreData) {
        data.resize(size);
        status = queryValue(key, target.path.valueName, &type, data.data(), &size);
        if (status == kSuccess) {
            data.resize(size);
            PrintValue(out, target.path.valueName, type, data);
            return kExitOk;
        }
    }
    err << "veilportctl: no value " << target.path.valueName << " in " << target.path.keyPath
        << '\n';
    return kExitNotFound;
}

int Set(Args args, std::ostream& out, std::ostream& err) {
    ValuePath target;
    if (args.size() != 3 || !ParseValuePath(args[0], target) ||
        (args[1] != "--dword" && args[1] != "--string"))
        return UsageError(err, "reg set expects PATH (--dword N | --string TEXT)");
    std::vector<std::byte> data;
    ValueType type = kTypeSz;
    if (args[1] == "--dword") {
        std::uint32_t value = 0;
        const auto text = args[2];
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (ec != std::errc{} || end != text.data() + text.size())
            return UsageError(err, "--dword expects a whole number from 0 to 4294967295");
        type = kTypeDword;
        for (int i = 0; i < 4; ++i) data.push_back(static_cast<std::byte>(value >> (8 * i)));
    } else {
        for (char c : args[2]) data.push_back(static_cast<std::byte>(c));
        data.push_back(std::byte{0});
    }
    KeyHandle key;
    if (const Status status = createKey(target.root, target.path.keyPath, kKeyWrite, key);
        status != kSuccess)
        return Refused(err, "creating the key", status);
    if (const Status status = setValue(key, target.path.valueName, type, data.data(),
                                       static_cast<std::uint32_t>(data.size()));
        status != kSuccess)
        return Refused(err, "storing the value", status);
    PrintValue(out, target.path.valueName, type, data);
    return kExitOk;
}

int Delete(Args args, std::ostream&, std::ostream& err) {
    ValuePath target;
    if (args.size() != 1 || !ParseValuePath(args[0], target))
        return UsageError(err, "reg delete expects one PATH naming a value");
    KeyHandle key;
    if (openKey(target.root, target.path.keyPath, kKeyWrite, key) != kSuccess) {
        err << "veilportctl: no key " << target.path.keyPath << '\n';
        return kExitNotFound;
    }
    const Status status = deleteValue(key, target.path.valueName);
    return status == kSuccess ? kExitOk : Refused(err, "deleting the value", status);
}

int DeleteKey(Args args, std::ostream&, std::ostream& err) {
    Root root{};
    std::string_view rest;
    if (args.size() != 1 || !ParseRootAndRest(args[0], root, rest) || rest.empty())
        return UsageError(err, "reg delete-key expects one KEYPATH below a root");
    const Status status = deleteKey(root, rest);
    if (status == kAccessDenied) {
        err << "veilportctl: the key has sub-keys or the store is read-only; nothing deleted\n";
        return kExitFailed;
    }
    return status == kSuccess ? kExitOk : Refused(err, "deleting the key", status);
}

int List(Args args, std::ostream& out, std::ostream& err) {
    Root root{};
    std::string_view rest;
    if (args.size() != 1 || !ParseRootAndRest(args[0], root, rest))
        return UsageError(err, "reg list expects one KEYPATH such as HKLM\\Software\\Veilport");
    KeyHandle key;
    if (openKey(root, rest, kKeyRead, key) != kSuccess) {
        err << "veilportctl: no key " << rest << '\n';
        return kExitNotFound;
    }
    std::string name;
    for (std::uint32_t i = 0; enumKey(key, i, name) == kSuccess; ++i) out << name << "\\\n";
    ValueType type = kTypeNone;
    std::vector<std::byte> data;
    for (std::uint32_t i = 0; enumValue(key, i, name, &type, &data) == kSuccess; ++i)
        PrintValue(out, name, type, data);
    return kExitOk;
}

int Run(Args args, std::ostream& out, std::ostream& err) {
    if (args.empty()) return UsageError(err, "reg expects query, set, delete, delete-key or list");
    const auto verb = args[0];
    const auto rest = args.subspan(1);
    if (verb == "query") return Query(rest, out, err);
    if (verb == "set") return Set(rest, out, err);
    if (verb == "delete") return Delete(rest, out, err);
    if (verb == "delete-key") return DeleteKey(rest, out, err);
    if (verb == "list") return List(rest, out, err);
    return UsageError(err, "unknown reg command '" + std::string(verb) +
                               "'; expected query, set, delete, delete-key or list");
}

}  // namespace

Command RegCommand() {
    return {
        "reg",
        "  reg query PATH                  print one value: name, type, data (DWORD in decimal)\n"
        "  reg set PATH --dword N          store a DWORD value\n"
        "  reg set PATH --string TEXT      store a text value (REG_SZ)\n"
        "  reg delete PATH                 delete one value\n"
        "  reg delete-key KEYPATH          delete a key that has no sub-keys\n"
        "  reg list KEYPATH                sub-keys (ending in \\), then values, a line each\n"
        "    PATH is a root and a path, such as HKLM\\Software\\Veilport\\LocalPort;\n"
        "    roots: HKLM, HKCU, HKCR or HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER,\n"
        "    HKEY_CLASSES_ROOT. Exit 3 when the store refuses a change.",
        Run};
}

}  // namespace veilport::cli
