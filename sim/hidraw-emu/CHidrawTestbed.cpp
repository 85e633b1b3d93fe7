#include "CHidrawTestbed.h"

#include "HidrawEmuProcess.h"

#include <cstdio>

#include <sys/stat.h>
#include <unistd.h>

#include <umockdev.h>

namespace vpc::hidemu {

namespace {

constexpr unsigned kMaxNodes = 4096;

std::string Hex(const char* format, unsigned a, unsigned b = 0, unsigned c = 0, unsigned d = 0) {
    char text[64];
    std::snprintf(text, sizeof text, format, a, b, c, d);
    return text;
}

// Takes ownership of a string umockdev allocated.
std::string Take(gchar* text) {
    std::string out = text ? text : "";
    g_free(text);
    return out;
}

} // namespace

std::unique_ptr<CHidrawTestbed> CHidrawTestbed::Create(bool withNodes, std::string* why) {
    if (!UmockdevPreloaded()) {
        if (why)
            *why = "the umockdev preload library is not active in this process";
        return nullptr;
    }
    std::unique_ptr<CHidrawTestbed> bed(new CHidrawTestbed());
    if (withNodes) {
        bed->m_nodes = CFuseHidrawServer::Mount(why);
        if (!bed->m_nodes)
            return nullptr;
    }
    bed->m_testbed = umockdev_testbed_new();
    if (bed->m_testbed == nullptr) {
        if (why)
            *why = "umockdev could not create a testbed";
        return nullptr;
    }
    bed->m_root = Take(umockdev_testbed_get_root_dir(bed->m_testbed));
    ::mkdir((bed->m_root + "/dev").c_str(), 0755);
    return bed;
}

CHidrawTestbed::~CHidrawTestbed() {
    std::vector<std::string> names;
    {
        std::lock_guard lock(m_mutex);
        for (const auto& [name, plugged] : m_plugged)
            names.push_back(name);
    }
    for (const std::string& name : names)
        Unplug(name);
    m_nodes.reset();
    if (m_testbed != nullptr)
        g_object_unref(m_testbed);
}

std::string CHidrawTestbed::Plug(const EmulatedInterface& emulated,
                                 CFuseHidrawServer::WriteHandler onWrite) {
    std::lock_guard lock(m_mutex);
    unsigned number = 0;
    while (number < kMaxNodes && m_plugged.count("hidraw" + std::to_string(number)) != 0)
        ++number;
    if (number == kMaxNodes)
        return {};
    const std::string name = "hidraw" + std::to_string(number);
    const unsigned serial = m_nextSerial++;
    const std::string port = "1-" + std::to_string(serial);
    const unsigned interfaceNumber =
        emulated.interfaceNumber < 0 ? 0u : static_cast<unsigned>(emulated.interfaceNumber);

    Plugged plugged;
    const std::string usb = Take(umockdev_testbed_add_device(
        m_testbed, "usb", port.c_str(), nullptr, "bcdDevice", Hex("%04x", emulated.version).c_str(),
        "idVendor", Hex("%04x", emulated.vendorId).c_str(), "idProduct",
        Hex("%04x", emulated.productId).c_str(), nullptr, "DEVTYPE", "usb_device", nullptr));
    if (usb.empty())
        return {};
    plugged.sysPaths.push_back(usb);
    const std::string interfaceName = port + ":1." + std::to_string(interfaceNumber);
    const std::string usbInterface = Take(umockdev_testbed_add_device(
        m_testbed, "usb", interfaceName.c_str(), usb.c_str(), "bInterfaceNumber",
        Hex("%02x", interfaceNumber).c_str(), nullptr, "DEVTYPE", "usb_interface", nullptr));
    if (!usbInterface.empty())
        plugged.sysPaths.push_back(usbInterface);
    const std::string hidName =
        Hex("%04X:%04X:%04X.%04X", emulated.busType, emulated.vendorId, emulated.productId, serial);
    std::string phys = "usb-0000:00:14.0-" + std::to_string(serial);
    if (emulated.interfaceNumber >= 0)
        phys += "/input" + std::to_string(emulated.interfaceNumber);
    const std::string hid =
        usbInterface.empty()
            ? std::string()
            : Take(umockdev_testbed_add_device(
                  m_testbed, "hid", hidName.c_str(), usbInterface.c_str(), nullptr, "HID_ID",
                  Hex("%04X:%08X:%08X", emulated.busType, emulated.vendorId, emulated.productId)
                      .c_str(),
                  "HID_NAME", emulated.name.c_str(), "HID_PHYS", phys.c_str(), "HID_UNIQ", "",
                  nullptr));
    std::string raw;
    if (!hid.empty()) {
        plugged.sysPaths.push_back(hid);
        std::vector<guint8> descriptor(emulated.reportDescriptor.begin(),
                                       emulated.reportDescriptor.end());
        umockdev_testbed_set_attribute_binary(m_testbed, hid.c_str(), "report_descriptor",
                                              descriptor.data(),
                                              static_cast<gsize>(descriptor.size()));
        raw = Take(umockdev_testbed_add_device(m_testbed, "hidraw", name.c_str(), hid.c_str(),
                                               nullptr, "DEVNAME", name.c_str(), nullptr));
    }
    if (raw.empty()) {
        for (auto it = plugged.sysPaths.rbegin(); it != plugged.sysPaths.rend(); ++it)
            umockdev_testbed_remove_device(m_testbed, it->c_str());
        return {};
    }
    plugged.sysPaths.push_back(raw);
    // the class device points at its HID device, as in a real sysfs
    umockdev_testbed_set_attribute_link(m_testbed, raw.c_str(), "device", "..");

    if (m_nodes) {
        const std::string file = m_nodes->AddNode(name, std::move(onWrite));
        const std::string link = m_root + "/dev/" + name;
        ::unlink(link.c_str());
        if (file.empty() || ::symlink(file.c_str(), link.c_str()) != 0) {
            m_nodes->Unplug(name);
            for (auto it = plugged.sysPaths.rbegin(); it != plugged.sysPaths.rend(); ++it)
                umockdev_testbed_remove_device(m_testbed, it->c_str());
            return {};
        }
    }
    m_plugged.emplace(name, std::move(plugged));
    return name;
}

bool CHidrawTestbed::Unplug(const std::string& name) {
    std::lock_guard lock(m_mutex);
    auto it = m_plugged.find(name);
    if (it == m_plugged.end())
        return false;
    if (m_nodes) {
        m_nodes->Unplug(name);
        ::unlink((m_root + "/dev/" + name).c_str());
    }
    // children first, so no class link is left dangling
    const auto& paths = it->second.sysPaths;
    for (auto path = paths.rbegin(); path != paths.rend(); ++path)
        umockdev_testbed_remove_device(m_testbed, path->c_str());
    m_plugged.erase(it);
    return true;
}

void CHidrawTestbed::Deliver(const std::string& name, std::span<const std::uint8_t> report) {
    if (m_nodes)
        m_nodes->Deliver(name, report);
}

std::string CHidrawTestbed::ClassDir(const std::string& name) const {
    std::lock_guard lock(m_mutex);
    auto it = m_plugged.find(name);
    if (it == m_plugged.end())
        return {};
    return m_root + it->second.sysPaths.back();
}

std::size_t CHidrawTestbed::PluggedCount() const {
    std::lock_guard lock(m_mutex);
    return m_plugged.size();
}

} // namespace vpc::hidemu
