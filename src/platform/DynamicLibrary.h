#pragma once
// Loading a shared library at run time and finding its symbols (the test
// host loads plug-in modules this way).
//
// Not thread-safe per object; different objects may be used from different
// threads. Not on a real-time thread.

#include <string>

namespace platform {

class DynamicLibrary {
public:
    DynamicLibrary() = default;
    // Unloads the library when it is still loaded.
    ~DynamicLibrary();
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;

    // Loads the library at utf8Path with every symbol resolved now and none
    // shared with later libraries. On failure answers false and puts the
    // system's reason into error. An open library is unloaded first.
    bool open(const std::string& utf8Path, std::string& error);
    // The address of an exported symbol, or null.
    void* symbol(const char* name) const;
    // Unloads the library; nothing when none is loaded.
    void close();
    bool isOpen() const { return handle_ != nullptr; }

private:
    void* handle_ = nullptr;
};

} // namespace platform
