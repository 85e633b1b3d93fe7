// Serves hidraw-like device node files from a FUSE mount: every input report reaches every
// open of a node, each read returns exactly one report, poll() works, and unplugging ends I/O.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

struct fuse_session;
struct fuse_pollhandle;
struct fuse_req;

namespace vpc::hidemu {

class CFuseHidrawServer {
public:
    // Called on the server's thread with each report a client writes to the node.
    using WriteHandler = std::function<void(std::span<const std::uint8_t> report)>;
    // hidraw keeps this many unread reports per open file and drops newer ones.
    static constexpr std::size_t kQueueLimit = 64;

    // Mounts an empty file system in a fresh folder under baseDir. Nothing (and the reason in
    // why) when FUSE is not usable here.
    static std::unique_ptr<CFuseHidrawServer> Mount(std::string* why,
                                                    const std::string& baseDir = "/tmp");
    ~CFuseHidrawServer();
    CFuseHidrawServer(const CFuseHidrawServer&) = delete;
    CFuseHidrawServer& operator=(const CFuseHidrawServer&) = delete;

    const std::string& MountPoint() const { return m_mountPoint; }
    // Adds a node file; returns its full path (empty when the name is taken or invalid).
    std::string AddNode(const std::string& name, WriteHandler onWrite);
    // Queues an input report on every open of the node.
    void Deliver(const std::string& name, std::span<const std::uint8_t> report);
    // The device behind the node is gone: waiting reads and polls end, writes fail with
    // ENODEV, reads with EIO once the queue is empty, and the file disappears.
    void Unplug(const std::string& name);
    bool HasNode(const std::string& name) const;
    // Opens of the node that are not released yet.
    std::size_t OpenCount(const std::string& name) const;

private:
    struct Node {
        std::uint64_t inode = 0;
        std::string name;
        WriteHandler onWrite;
        bool gone = false;
    };
    struct ParkedRead {
        fuse_req* request = nullptr;
        std::size_t size = 0;
    };
    struct OpenFile {
        std::uint64_t inode = 0;
        std::deque<std::vector<std::uint8_t>> queue;
        std::deque<ParkedRead> parked;
        fuse_pollhandle* pollHandle = nullptr;
    };
    struct Ops;

    CFuseHidrawServer() = default;
    void Loop();
    void Stop();
    Node* FindNode(std::uint64_t inode);
    Node* FindNode(const std::string& name);
    const Node* FindNode(const std::string& name) const;
    // Drops an unplugged node once its last open is released, under m_mutex.
    void ForgetIfUnused(std::uint64_t inode);
    // Wakes a poller of the open, under m_mutex.
    static void WakePoller(OpenFile& open);

    std::string m_mountPoint;
    fuse_session* m_session = nullptr;
    bool m_mounted = false;
    int m_stopFd = -1;
    std::thread m_thread;

    mutable std::mutex m_mutex;
    std::map<std::uint64_t, Node> m_nodes;     // by inode; unplugged nodes stay until released
    std::map<std::uint64_t, OpenFile> m_opens; // by file handle
    std::uint64_t m_nextInode = 2;
    std::uint64_t m_nextHandle = 1;
};

} // namespace vpc::hidemu
