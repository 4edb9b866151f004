#include "platform/x11/X11Atoms.h"

#include "platform/DragDrop.h"

#include <iterator>

namespace platform::x11 {

bool X11Atoms::intern(Display* display)
{
    struct Entry {
        const char* name;
        Atom X11Atoms::*field;
    };
    static const Entry kEntries[] = {
        {"XdndAware", &X11Atoms::xdndAware},
        {"XdndEnter", &X11Atoms::xdndEnter},
        {"XdndPosition", &X11Atoms::xdndPosition},
        {"XdndStatus", &X11Atoms::xdndStatus},
        {"XdndLeave", &X11Atoms::xdndLeave},
        {"XdndDrop", &X11Atoms::xdndDrop},
        {"XdndFinished", &X11Atoms::xdndFinished},
        {"XdndSelection", &X11Atoms::xdndSelection},
        {"XdndTypeList", &X11Atoms::xdndTypeList},
        {"XdndActionCopy", &X11Atoms::xdndActionCopy},
        {"XdndActionMove", &X11Atoms::xdndActionMove},
        {"TARGETS", &X11Atoms::targets},
        {"INCR", &X11Atoms::incr},
        {kPrivateDataTypeName, &X11Atoms::privateData},
        {"KESTAN_TRANSFER", &X11Atoms::transfer},
        {"WM_PROTOCOLS", &X11Atoms::wmProtocols},
        {"WM_DELETE_WINDOW", &X11Atoms::wmDeleteWindow},
    };
    constexpr int kCount = static_cast<int>(std::size(kEntries));
    char* names[kCount];
    Atom atoms[kCount];
    for (int i = 0; i < kCount; ++i)
        names[i] = const_cast<char*>(kEntries[i].name);
    if (XInternAtoms(display, names, kCount, False, atoms) == 0)
        return false;
    for (int i = 0; i < kCount; ++i)
        this->*(kEntries[i].field) = atoms[i];
    return true;
}

} // namespace platform::x11
