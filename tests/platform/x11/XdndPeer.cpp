#include "XdndPeer.h"

#include "platform/Clock.h"

#include <X11/Xatom.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace x11test {

namespace {

constexpr long kVersion = 5;

struct PeerAtoms {
    explicit PeerAtoms(Display* d)
        : aware(XInternAtom(d, "XdndAware", False)), enter(XInternAtom(d, "XdndEnter", False)),
          position(XInternAtom(d, "XdndPosition", False)),
          status(XInternAtom(d, "XdndStatus", False)), leave(XInternAtom(d, "XdndLeave", False)),
          drop(XInternAtom(d, "XdndDrop", False)), finished(XInternAtom(d, "XdndFinished", False)),
          selection(XInternAtom(d, "XdndSelection", False)),
          copy(XInternAtom(d, "XdndActionCopy", False)),
          move(XInternAtom(d, "XdndActionMove", False)), targets(XInternAtom(d, "TARGETS", False)),
          incr(XInternAtom(d, "INCR", False)),
          privateType(XInternAtom(d, "ORL_CLIPBOARD_FORMAT", False)),
          property(XInternAtom(d, "PEER_DATA", False))
    {
    }
    Atom aware, enter, position, status, leave, drop, finished, selection, copy, move, targets,
        incr, privateType, property;
};

// The line a source reports for XdndFinished.
std::string finishedLine(const PeerAtoms& atoms, const XClientMessageEvent& m)
{
    const Atom action = Atom(m.data.l[2]);
    const char* name = action == atoms.copy   ? "copy"
                       : action == atoms.move ? "move"
                       : action == None       ? "none"
                                              : "other";
    return "finished " + std::to_string(m.data.l[1] & 1) + " " + name;
}

void sendClient(Display* d, Window to, Atom type, long l0, long l1, long l2, long l3, long l4)
{
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = to;
    e.xclient.message_type = type;
    e.xclient.format = 32;
    e.xclient.data.l[0] = l0;
    e.xclient.data.l[1] = l1;
    e.xclient.data.l[2] = l2;
    e.xclient.data.l[3] = l3;
    e.xclient.data.l[4] = l4;
    XSendEvent(d, to, False, NoEventMask, &e);
    XFlush(d);
}

// The next event within the peer's time; false when none came.
bool nextEvent(Display* d, XEvent* e, uint64_t deadline)
{
    while (XPending(d) == 0) {
        if (platform::tickCount64() > deadline)
            return false;
        pollfd fd{ConnectionNumber(d), POLLIN, 0};
        ::poll(&fd, 1, 10);
    }
    XNextEvent(d, e);
    return true;
}

std::string atomName(Display* d, Atom a)
{
    char* name = XGetAtomName(d, a);
    std::string s = name ? name : "?";
    if (name)
        XFree(name);
    return s;
}

} // namespace

std::string toHex(const std::vector<uint8_t>& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string s;
    for (uint8_t b : bytes) {
        s += digits[b >> 4];
        s += digits[b & 15];
    }
    return s;
}

XdndPeer::~XdndPeer()
{
    if (pid_ > 0 && exitStatus_ < 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    if (readFd_ >= 0)
        ::close(readFd_);
}

void XdndPeer::say(const std::string& line)
{
    const std::string text = line + "\n";
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(writeFd_, text.data() + done, text.size() - done);
        if (n <= 0)
            return;
        done += size_t(n);
    }
}

void XdndPeer::start(void (*body)(XdndPeer& peer, Display* display))
{
    int fds[2];
    if (::pipe(fds) != 0)
        return;
    pid_ = ::fork();
    if (pid_ == 0) {
        ::close(fds[0]);
        writeFd_ = fds[1];
        Display* display = XOpenDisplay(nullptr);
        for (int attempt = 0; display == nullptr && attempt < 10; ++attempt) {
            ::poll(nullptr, 0, 20);
            display = XOpenDisplay(nullptr);
        }
        if (display != nullptr)
            body(*this, display);
        // No destructors, no flushing of the parent's connection.
        ::_exit(display != nullptr ? 0 : 1);
    }
    ::close(fds[1]);
    readFd_ = fds[0];
}

void XdndPeer::startSource(Window target, int rootX, int rootY, const std::string& type,
                           std::vector<uint8_t> bytes, size_t incrChunk)
{
    target_ = target;
    x_ = rootX;
    y_ = rootY;
    type_ = type;
    bytes_ = std::move(bytes);
    incrChunk_ = incrChunk;
    start(&XdndPeer::runSource);
}

void XdndPeer::startTarget(int x, int y, int width, int height)
{
    x_ = x;
    y_ = y;
    width_ = width;
    height_ = height;
    start(&XdndPeer::runTarget);
}

std::string XdndPeer::readLine(int timeoutMs)
{
    const uint64_t deadline = platform::tickCount64() + uint64_t(timeoutMs);
    for (;;) {
        const size_t end = buffered_.find('\n');
        if (end != std::string::npos) {
            std::string line = buffered_.substr(0, end);
            buffered_.erase(0, end + 1);
            return line;
        }
        if (readFd_ < 0)
            return "";
        // With no time left, what has arrived is still read.
        const uint64_t now = platform::tickCount64();
        pollfd fd{readFd_, POLLIN, 0};
        if (::poll(&fd, 1, now >= deadline ? 0 : int(deadline - now)) <= 0)
            return "";
        char chunk[4096];
        const ssize_t n = ::read(readFd_, chunk, sizeof chunk);
        if (n <= 0)
            return "";
        buffered_.append(chunk, size_t(n));
    }
}

bool XdndPeer::finished()
{
    if (exitStatus_ >= 0)
        return true;
    int status = 0;
    if (pid_ > 0 && ::waitpid(pid_, &status, WNOHANG) == pid_) {
        exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
        return true;
    }
    return false;
}

int XdndPeer::wait(int timeoutMs)
{
    const uint64_t deadline = platform::tickCount64() + uint64_t(timeoutMs);
    while (!finished()) {
        if (platform::tickCount64() > deadline) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
            exitStatus_ = 255;
            return -1;
        }
        ::poll(nullptr, 0, 5);
    }
    return exitStatus_;
}

void XdndPeer::runSource(XdndPeer& peer, Display* d)
{
    const PeerAtoms atoms(d);
    const Atom type = XInternAtom(d, peer.type_.c_str(), False);
    const Window own = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(d, atoms.selection, own, CurrentTime);
    const long self = static_cast<long>(own);
    if (peer.listedTypes_.empty()) {
        sendClient(d, peer.target_, atoms.enter, self, kVersion << 24, long(type), 0, 0);
    } else {
        std::vector<long> listed;
        for (const std::string& name : peer.listedTypes_)
            listed.push_back(long(XInternAtom(d, name.c_str(), False)));
        XChangeProperty(d, own, XInternAtom(d, "XdndTypeList", False), XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(listed.data()), int(listed.size()));
        listed.resize(3, 0);
        sendClient(d, peer.target_, atoms.enter, self, kVersion << 24 | 1, listed[0], listed[1],
                   listed[2]);
    }
    sendClient(d, peer.target_, atoms.position, self, 0, long(peer.x_) << 16 | peer.y_, CurrentTime,
               long(atoms.copy));
    const uint64_t deadline = platform::tickCount64() + XdndPeer::kPeerPatientMs;
    XEvent e;
    bool statusSeen = false;
    while (!statusSeen && nextEvent(d, &e, deadline)) {
        if (e.type == ClientMessage && e.xclient.message_type == atoms.status) {
            statusSeen = true;
            peer.say("status " + std::to_string(e.xclient.data.l[1] & 1));
        }
    }
    if (!statusSeen)
        peer.say("status none");
    sendClient(d, peer.target_, atoms.drop, self, 0, CurrentTime, 0, 0);
    for (;;) {
        if (!nextEvent(d, &e, deadline)) {
            peer.say("finished none");
            break;
        }
        if (e.type == ClientMessage && e.xclient.message_type == atoms.finished) {
            peer.say(finishedLine(atoms, e.xclient));
            break;
        }
        if (e.type != SelectionRequest)
            continue;
        const XSelectionRequestEvent& r = e.xselectionrequest;
        XEvent reply{};
        reply.xselection.type = SelectionNotify;
        reply.xselection.requestor = r.requestor;
        reply.xselection.selection = r.selection;
        reply.xselection.target = r.target;
        reply.xselection.time = r.time;
        reply.xselection.property = None;
        const bool incremental = peer.incrChunk_ != 0 && r.target == type;
        if (r.target == type && !incremental) {
            XChangeProperty(d, r.requestor, r.property, type, 8, PropModeReplace,
                            peer.bytes_.data(), int(peer.bytes_.size()));
            reply.xselection.property = r.property;
        } else if (incremental) {
            const long total = long(peer.bytes_.size());
            XSelectInput(d, r.requestor, PropertyChangeMask);
            XChangeProperty(d, r.requestor, r.property, atoms.incr, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(&total), 1);
            reply.xselection.property = r.property;
        }
        XSendEvent(d, r.requestor, False, NoEventMask, &reply);
        XFlush(d);
        if (!incremental || peer.stall_)
            continue;
        // Each deletion asks for the next piece; an empty piece ends it. A
        // target that gives up tells so meanwhile.
        size_t sent = 0;
        bool more = true;
        while (more) {
            XEvent p;
            if (!nextEvent(d, &p, deadline)) {
                peer.say("incr stalled");
                return;
            }
            if (p.type == ClientMessage && p.xclient.message_type == atoms.finished) {
                peer.say("incr sent " + std::to_string(sent));
                peer.say(finishedLine(atoms, p.xclient));
                peer.say("done");
                return;
            }
            if (p.type != PropertyNotify || p.xproperty.window != r.requestor ||
                p.xproperty.atom != r.property || p.xproperty.state != PropertyDelete)
                continue;
            if (peer.piecePauseMs_ > 0)
                ::poll(nullptr, 0, peer.piecePauseMs_);
            const size_t n = std::min(peer.incrChunk_, peer.bytes_.size() - sent);
            XChangeProperty(d, r.requestor, r.property, type, 8, PropModeReplace,
                            peer.bytes_.data() + sent, int(n));
            XFlush(d);
            sent += n;
            more = n != 0;
        }
        peer.say("incr sent " + std::to_string(sent));
    }
    peer.say("done");
}

void XdndPeer::runTarget(XdndPeer& peer, Display* d)
{
    const PeerAtoms atoms(d);
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.event_mask = StructureNotifyMask | PropertyChangeMask;
    const Window own = XCreateWindow(
        d, DefaultRootWindow(d), peer.x_, peer.y_, unsigned(peer.width_), unsigned(peer.height_), 0,
        CopyFromParent, InputOutput, CopyFromParent, CWOverrideRedirect | CWEventMask, &attributes);
    const long version = kVersion;
    XChangeProperty(d, own, atoms.aware, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&version), 1);
    XMapRaised(d, own);
    XEvent e;
    do
        XWindowEvent(d, own, StructureNotifyMask, &e);
    while (e.type != MapNotify);
    XSync(d, False);
    peer.say("ready");
    const uint64_t deadline = platform::tickCount64() + XdndPeer::kPeerPatientMs;
    Window source = 0;
    bool offered = false;
    while (nextEvent(d, &e, deadline)) {
        if (e.type != ClientMessage)
            continue;
        const XClientMessageEvent& m = e.xclient;
        if (m.message_type == atoms.enter) {
            source = Window(m.data.l[0]);
            std::string types;
            for (int i = 2; i <= 4; ++i)
                if (m.data.l[i] != 0) {
                    types += " " + atomName(d, Atom(m.data.l[i]));
                    offered = offered || Atom(m.data.l[i]) == atoms.privateType;
                }
            peer.say("enter " + std::to_string(static_cast<unsigned long>(m.data.l[1]) >> 24) +
                     types);
        } else if (m.message_type == atoms.position) {
            sendClient(d, source, atoms.status, long(own), offered ? 1 : 0, 0, 0,
                       offered ? long(atoms.copy) : 0);
        } else if (m.message_type == atoms.leave) {
            peer.say("leave");
            return;
        } else if (m.message_type == atoms.drop) {
            std::string line = "targets";
            std::vector<uint8_t> bytes;
            for (Atom wanted : {atoms.targets, atoms.privateType}) {
                XConvertSelection(d, atoms.selection, wanted, atoms.property, own,
                                  Time(m.data.l[2]));
                XEvent n;
                do {
                    if (!nextEvent(d, &n, deadline)) {
                        peer.say("no answer");
                        return;
                    }
                } while (n.type != SelectionNotify);
                if (n.xselection.property == None)
                    continue;
                Atom type = None;
                int format = 0;
                unsigned long count = 0, after = 0;
                unsigned char* data = nullptr;
                XGetWindowProperty(d, own, atoms.property, 0, 1 << 24, True, AnyPropertyType, &type,
                                   &format, &count, &after, &data);
                if (wanted == atoms.targets && format == 32) {
                    for (unsigned long i = 0; i < count; ++i)
                        line += " " + atomName(d, reinterpret_cast<Atom*>(data)[i]);
                } else if (format == 8) {
                    bytes.assign(data, data + count);
                }
                if (data)
                    XFree(data);
            }
            peer.say(line);
            if (peer.neverFinish_) {
                peer.say("drop held");
                return;
            }
            peer.say("drop " + toHex(bytes));
            sendClient(d, source, atoms.finished, long(own), 1, long(atoms.copy), 0, 0);
            XSync(d, False);
            return;
        }
    }
    peer.say("timeout");
}

} // namespace x11test
