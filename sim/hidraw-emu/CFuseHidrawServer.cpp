#define FUSE_USE_VERSION 312
#include "CFuseHidrawServer.h"

#include <fuse_lowlevel.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vpc::hidemu {

namespace {

// Open reply flags of the kernel protocol. libfuse 3.14 has no field for "stream": without it a
// read blocked on an fd would hold up a write on the same fd, which hidraw never does.
constexpr std::uint32_t kOpenDirectIo = 1u << 0;
constexpr std::uint32_t kOpenNonSeekable = 1u << 2;
constexpr std::uint32_t kOpenStream = 1u << 4;

struct OpenReply {
    std::uint64_t fh;
    std::uint32_t openFlags;
    std::uint32_t padding;
};

constexpr fuse_ino_t kRootInode = 1;

void FillFileAttributes(struct stat& attr, fuse_ino_t inode) {
    std::memset(&attr, 0, sizeof attr);
    attr.st_ino = inode;
    attr.st_nlink = 1;
    attr.st_mode = S_IFREG | 0666;
}

bool ValidName(const std::string& name) {
    return !name.empty() && name.size() < 64 && name.find('/') == std::string::npos &&
           name != "." && name != "..";
}

} // namespace

struct CFuseHidrawServer::Ops {
    static CFuseHidrawServer& Self(fuse_req_t req) {
        return *static_cast<CFuseHidrawServer*>(fuse_req_userdata(req));
    }

    static void Lookup(fuse_req_t req, fuse_ino_t parent, const char* name) {
        CFuseHidrawServer& self = Self(req);
        fuse_entry_param entry;
        std::memset(&entry, 0, sizeof entry);
        {
            std::lock_guard lock(self.m_mutex);
            Node* node = parent == kRootInode ? self.FindNode(std::string(name)) : nullptr;
            if (node == nullptr) {
                fuse_reply_err(req, ENOENT);
                return;
            }
            entry.ino = node->inode;
        }
        FillFileAttributes(entry.attr, entry.ino);
        fuse_reply_entry(req, &entry);
    }

    static void GetAttr(fuse_req_t req, fuse_ino_t inode, fuse_file_info*) {
        CFuseHidrawServer& self = Self(req);
        struct stat attr;
        if (inode == kRootInode) {
            std::memset(&attr, 0, sizeof attr);
            attr.st_ino = kRootInode;
            attr.st_nlink = 2;
            attr.st_mode = S_IFDIR | 0755;
            fuse_reply_attr(req, &attr, 0);
            return;
        }
        {
            std::lock_guard lock(self.m_mutex);
            if (self.FindNode(inode) == nullptr) {
                fuse_reply_err(req, ENOENT);
                return;
            }
        }
        FillFileAttributes(attr, inode);
        fuse_reply_attr(req, &attr, 0);
    }

    static void Open(fuse_req_t req, fuse_ino_t inode, fuse_file_info*) {
        CFuseHidrawServer& self = Self(req);
        OpenReply reply{};
        {
            std::lock_guard lock(self.m_mutex);
            Node* node = self.FindNode(inode);
            if (node == nullptr || node->gone) {
                fuse_reply_err(req, ENODEV);
                return;
            }
            reply.fh = self.m_nextHandle++;
            self.m_opens[reply.fh].inode = inode;
        }
        reply.openFlags = kOpenDirectIo | kOpenNonSeekable | kOpenStream;
        if (fuse_reply_buf(req, reinterpret_cast<const char*>(&reply), sizeof reply) != 0) {
            // the opener gave up (interrupted): no release will come for this handle
            std::lock_guard lock(self.m_mutex);
            self.m_opens.erase(reply.fh);
        }
    }

    static void InterruptRead(fuse_req_t req, void* data) {
        auto& self = *static_cast<CFuseHidrawServer*>(data);
        bool found = false;
        {
            std::lock_guard lock(self.m_mutex);
            for (auto& [handle, open] : self.m_opens) {
                for (auto it = open.parked.begin(); it != open.parked.end(); ++it) {
                    if (it->request == req) {
                        open.parked.erase(it);
                        found = true;
                        break;
                    }
                }
                if (found)
                    break;
            }
        }
        if (found)
            fuse_reply_err(req, EINTR);
    }

    static void Read(fuse_req_t req, fuse_ino_t, size_t size, off_t, fuse_file_info* fi) {
        CFuseHidrawServer& self = Self(req);
        std::vector<std::uint8_t> report;
        {
            std::lock_guard lock(self.m_mutex);
            auto it = self.m_opens.find(fi->fh);
            if (it == self.m_opens.end()) {
                fuse_reply_err(req, EBADF);
                return;
            }
            OpenFile& open = it->second;
            if (open.queue.empty()) {
                const Node* node = self.FindNode(open.inode);
                if (node == nullptr || node->gone) {
                    fuse_reply_err(req, EIO);
                    return;
                }
                if ((fi->flags & O_NONBLOCK) != 0) {
                    fuse_reply_err(req, EAGAIN);
                    return;
                }
            } else {
                report = std::move(open.queue.front());
                open.queue.pop_front();
            }
        }
        if (!report.empty() || size == 0) {
            fuse_reply_buf(req, reinterpret_cast<const char*>(report.data()),
                           std::min(size, report.size()));
            return;
        }
        // a blocking read waits for the next report; this thread runs one request at a
        // time, so no interrupt can come between these lines
        fuse_req_interrupt_func(req, &Ops::InterruptRead, &self);
        if (fuse_req_interrupted(req)) {
            fuse_reply_err(req, EINTR);
            return;
        }
        std::lock_guard lock(self.m_mutex);
        auto it = self.m_opens.find(fi->fh);
        if (it == self.m_opens.end()) {
            fuse_reply_err(req, EBADF);
            return;
        }
        it->second.parked.push_back(ParkedRead{req, size});
    }

    static void Write(fuse_req_t req, fuse_ino_t, const char* buffer, size_t size, off_t,
                      fuse_file_info* fi) {
        CFuseHidrawServer& self = Self(req);
        WriteHandler handler;
        {
            std::lock_guard lock(self.m_mutex);
            auto it = self.m_opens.find(fi->fh);
            if (it == self.m_opens.end()) {
                fuse_reply_err(req, EBADF);
                return;
            }
            const Node* node = self.FindNode(it->second.inode);
            if (node == nullptr || node->gone) {
                fuse_reply_err(req, ENODEV);
                return;
            }
            handler = node->onWrite;
        }
        if (handler)
            handler(
                std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(buffer), size));
        fuse_reply_write(req, size);
    }

    static void Release(fuse_req_t req, fuse_ino_t, fuse_file_info* fi) {
        CFuseHidrawServer& self = Self(req);
        std::vector<fuse_req_t> orphans;
        {
            std::lock_guard lock(self.m_mutex);
            auto it = self.m_opens.find(fi->fh);
            if (it != self.m_opens.end()) {
                for (const ParkedRead& parked : it->second.parked)
                    orphans.push_back(parked.request);
                if (it->second.pollHandle != nullptr)
                    fuse_pollhandle_destroy(it->second.pollHandle);
                const std::uint64_t inode = it->second.inode;
                self.m_opens.erase(it);
                self.ForgetIfUnused(inode);
            }
        }
        for (fuse_req_t orphan : orphans)
            fuse_reply_err(orphan, EIO);
        fuse_reply_err(req, 0);
    }

    static void Poll(fuse_req_t req, fuse_ino_t, fuse_file_info* fi, fuse_pollhandle* handle) {
        CFuseHidrawServer& self = Self(req);
        unsigned events = POLLOUT | POLLWRNORM;
        {
            std::lock_guard lock(self.m_mutex);
            auto it = self.m_opens.find(fi->fh);
            if (it == self.m_opens.end()) {
                if (handle != nullptr)
                    fuse_pollhandle_destroy(handle);
                fuse_reply_err(req, EBADF);
                return;
            }
            OpenFile& open = it->second;
            if (handle != nullptr) {
                if (open.pollHandle != nullptr)
                    fuse_pollhandle_destroy(open.pollHandle);
                open.pollHandle = handle;
            }
            if (!open.queue.empty())
                events |= POLLIN | POLLRDNORM;
            const Node* node = self.FindNode(open.inode);
            if (node == nullptr || node->gone)
                events |= POLLERR | POLLHUP;
        }
        fuse_reply_poll(req, events);
    }
};

std::unique_ptr<CFuseHidrawServer> CFuseHidrawServer::Mount(std::string* why,
                                                            const std::string& baseDir) {
    auto fail = [why](std::string reason) -> std::unique_ptr<CFuseHidrawServer> {
        if (why)
            *why = std::move(reason);
        return nullptr;
    };
    if (::access("/dev/fuse", R_OK | W_OK) != 0)
        return fail("/dev/fuse is not present or not accessible (" +
                    std::string(std::strerror(errno)) + ")");
    std::unique_ptr<CFuseHidrawServer> server(new CFuseHidrawServer());
    std::string pattern = baseDir + "/vpc-hidraw-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr)
        return fail("cannot create a mount folder under " + baseDir);
    server->m_mountPoint = pattern;

    static const fuse_lowlevel_ops ops = [] {
        fuse_lowlevel_ops o{};
        o.lookup = &Ops::Lookup;
        o.getattr = &Ops::GetAttr;
        o.open = &Ops::Open;
        o.read = &Ops::Read;
        o.write = &Ops::Write;
        o.release = &Ops::Release;
        o.poll = &Ops::Poll;
        return o;
    }();
    std::string options = "fsname=vpc-hidraw,subtype=vpc-hidraw";
    if (::geteuid() == 0)
        options += ",allow_other";
    char program[] = "vpc-hidraw-emu";
    char dashO[] = "-o";
    std::vector<char> optionText(options.begin(), options.end());
    optionText.push_back('\0');
    char* argv[] = {program, dashO, optionText.data(), nullptr};
    fuse_args args = FUSE_ARGS_INIT(3, argv);
    server->m_session = fuse_session_new(&args, &ops, sizeof ops, server.get());
    fuse_opt_free_args(&args); // the session may have copied the arguments
    if (server->m_session == nullptr)
        return fail("FUSE session could not be created");
    if (fuse_session_mount(server->m_session, server->m_mountPoint.c_str()) != 0)
        return fail("FUSE mount failed: mounting needs root here (or a set-uid fusermount3)");
    server->m_mounted = true;
    server->m_stopFd = ::eventfd(0, EFD_CLOEXEC);
    if (server->m_stopFd < 0)
        return fail("eventfd failed");
    CFuseHidrawServer* raw = server.get();
    server->m_thread = std::thread([raw] { raw->Loop(); });
    return server;
}

CFuseHidrawServer::~CFuseHidrawServer() {
    Stop();
}

void CFuseHidrawServer::Loop() {
    const int fuseFd = fuse_session_fd(m_session);
    fuse_buf buffer{};
    while (!fuse_session_exited(m_session)) {
        pollfd fds[2] = {{m_stopFd, POLLIN, 0}, {fuseFd, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (fds[0].revents != 0)
            break;
        if ((fds[1].revents & (POLLERR | POLLHUP | POLLNVAL)) != 0 &&
            (fds[1].revents & POLLIN) == 0)
            break;
        const int received = fuse_session_receive_buf(m_session, &buffer);
        if (received == -EINTR || received == -EAGAIN)
            continue;
        if (received <= 0)
            break;
        fuse_session_process_buf(m_session, &buffer);
    }
    std::free(buffer.mem);
}

void CFuseHidrawServer::Stop() {
    std::vector<fuse_req_t> parked;
    {
        std::lock_guard lock(m_mutex);
        for (auto& [handle, open] : m_opens) {
            for (const ParkedRead& read : open.parked)
                parked.push_back(read.request);
            open.parked.clear();
            if (open.pollHandle != nullptr) {
                fuse_lowlevel_notify_poll(open.pollHandle);
                fuse_pollhandle_destroy(open.pollHandle);
                open.pollHandle = nullptr;
            }
        }
        for (auto& [inode, node] : m_nodes)
            node.gone = true;
    }
    for (fuse_req_t request : parked)
        fuse_reply_err(request, EIO);
    if (m_thread.joinable()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] ssize_t n = ::write(m_stopFd, &one, sizeof one);
        m_thread.join();
    }
    if (m_session != nullptr) {
        if (m_mounted)
            fuse_session_unmount(m_session);
        fuse_session_destroy(m_session);
        m_session = nullptr;
    }
    if (m_stopFd >= 0) {
        ::close(m_stopFd);
        m_stopFd = -1;
    }
    if (!m_mountPoint.empty())
        ::rmdir(m_mountPoint.c_str());
}

CFuseHidrawServer::Node* CFuseHidrawServer::FindNode(std::uint64_t inode) {
    auto it = m_nodes.find(inode);
    return it == m_nodes.end() ? nullptr : &it->second;
}

CFuseHidrawServer::Node* CFuseHidrawServer::FindNode(const std::string& name) {
    for (auto& [inode, node] : m_nodes)
        if (!node.gone && node.name == name)
            return &node;
    return nullptr;
}

const CFuseHidrawServer::Node* CFuseHidrawServer::FindNode(const std::string& name) const {
    for (const auto& [inode, node] : m_nodes)
        if (!node.gone && node.name == name)
            return &node;
    return nullptr;
}

void CFuseHidrawServer::ForgetIfUnused(std::uint64_t inode) {
    auto it = m_nodes.find(inode);
    if (it == m_nodes.end() || !it->second.gone)
        return;
    for (const auto& [handle, open] : m_opens)
        if (open.inode == inode)
            return;
    m_nodes.erase(it);
}

void CFuseHidrawServer::WakePoller(OpenFile& open) {
    if (open.pollHandle == nullptr)
        return;
    fuse_lowlevel_notify_poll(open.pollHandle);
    fuse_pollhandle_destroy(open.pollHandle);
    open.pollHandle = nullptr;
}

std::string CFuseHidrawServer::AddNode(const std::string& name, WriteHandler onWrite) {
    if (!ValidName(name))
        return {};
    std::lock_guard lock(m_mutex);
    if (FindNode(name) != nullptr)
        return {};
    Node node;
    node.inode = m_nextInode++;
    node.name = name;
    node.onWrite = std::move(onWrite);
    m_nodes.emplace(node.inode, std::move(node));
    return m_mountPoint + "/" + name;
}

void CFuseHidrawServer::Deliver(const std::string& name, std::span<const std::uint8_t> report) {
    std::vector<std::pair<ParkedRead, std::vector<std::uint8_t>>> answers;
    {
        std::lock_guard lock(m_mutex);
        const Node* node = FindNode(name);
        if (node == nullptr)
            return;
        for (auto& [handle, open] : m_opens) {
            if (open.inode != node->inode)
                continue;
            if (!open.parked.empty()) {
                answers.emplace_back(open.parked.front(),
                                     std::vector<std::uint8_t>(report.begin(), report.end()));
                open.parked.pop_front();
                continue;
            }
            if (open.queue.size() >= kQueueLimit)
                continue; // full: the new report is dropped, as hidraw does
            open.queue.emplace_back(report.begin(), report.end());
            WakePoller(open);
        }
    }
    for (const auto& [read, bytes] : answers)
        fuse_reply_buf(read.request, reinterpret_cast<const char*>(bytes.data()),
                       std::min(read.size, bytes.size()));
}

void CFuseHidrawServer::Unplug(const std::string& name) {
    std::vector<fuse_req_t> parked;
    {
        std::lock_guard lock(m_mutex);
        Node* node = FindNode(name);
        if (node == nullptr)
            return;
        node->gone = true;
        const std::uint64_t inode = node->inode;
        for (auto& [handle, open] : m_opens) {
            if (open.inode != inode)
                continue;
            for (const ParkedRead& read : open.parked)
                parked.push_back(read.request);
            open.parked.clear();
            WakePoller(open);
        }
        ForgetIfUnused(inode);
    }
    for (fuse_req_t request : parked)
        fuse_reply_err(request, EIO);
}

bool CFuseHidrawServer::HasNode(const std::string& name) const {
    std::lock_guard lock(m_mutex);
    return FindNode(name) != nullptr;
}

std::size_t CFuseHidrawServer::OpenCount(const std::string& name) const {
    std::lock_guard lock(m_mutex);
    std::size_t count = 0;
    for (const auto& [inode, node] : m_nodes) {
        if (node.gone || node.name != name)
            continue;
        for (const auto& [handle, open] : m_opens)
            if (open.inode == inode)
                ++count;
    }
    return count;
}

} // namespace vpc::hidemu
