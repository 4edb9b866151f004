// The plug-in class: the folder and file name of the plug-in module.

#include "plugin/AM_VST_base.h"

#include "foundation/AM_STD.h"
#include "platform/Module.h"
#include "plugin/vst/VstStrings.h"

#include <cstring>
#include <string>

namespace {

constexpr char kPathSeparator = '/';

} // namespace

void AM_VST_base::findPluginFolder(char* out)
{
    if (out == nullptr)
        return;
    std::string path;
    if (!platform::getModulePath(path) || path.empty()) {
        AM_STD::printv("alternative Method failed!");
        return;
    }
    if (path.size() > kPluginFolderBytes - 2) {
        // The folder, its terminator and the file name must fit the field.
        AM_STD::printv("scanning path for .so did not succeed! %s", path.c_str());
        return;
    }
    const size_t slash = path.rfind(kPathSeparator);
    if (slash == std::string::npos || slash < 1) {
        vst::copyString(out, path.c_str(), kPluginFolderBytes);
        return;
    }
    // "folder/" 0 "file name" 0
    std::memset(out, 0, kPluginFolderBytes);
    std::memcpy(out, path.data(), slash + 1);
    std::memcpy(out + slash + 2, path.data() + slash + 1, path.size() - slash - 1);
}

void AM_VST_base::getPluginFolder(char* out)
{
    vst::copyString(out, pluginFolder_, kPluginFolderBytes);
}
