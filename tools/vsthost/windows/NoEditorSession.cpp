// The editor session of a build without an editor window: opening it fails
// with the reason, everything else does nothing.
#include "EditorSession.h"

namespace vsthost {

EditorSession::EditorSession(HostedPlugin& plugin) : plugin_(plugin) {}

EditorSession::~EditorSession() = default;

bool EditorSession::open(std::string& error)
{
    error = "this build of kk-vsthost has no editor window";
    return false;
}

void EditorSession::close()
{
    open_ = false;
}

bool EditorSession::idle()
{
    return false;
}

bool EditorSession::idle(int, bool)
{
    return false;
}

void EditorSession::run() {}

bool EditorSession::editorSize(int&, int&)
{
    return false;
}

bool EditorSession::capture(std::vector<uint8_t>&, int&, int&)
{
    return false;
}

bool EditorSession::screenshot(const std::string&, std::string& error)
{
    error = "this build of kk-vsthost has no editor window";
    return false;
}

} // namespace vsthost
