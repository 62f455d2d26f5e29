#include "app/extras/DriveReport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#include "util/TextNumber.h"

namespace kelmora::app {

std::string megabytesText(uint64_t bytes, const std::string& groupSeparator) {
    const double mb = roundHalfEven(static_cast<double>(bytes) / 1024.0 / 1024.0);
    if (mb < 1.0) return "";
    std::string digits = std::to_string(static_cast<uint64_t>(mb));
    std::string out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += groupSeparator;
        out += digits[i];
    }
    return out;
}

std::string driveReport(const std::vector<DriveFigures>& drives, const std::string& groupSeparator,
                        MessageSink& messages) {
    std::string text = " Scanning.. ";
    text += "ok.  " + std::to_string(drives.size()) + " HD(s) found." + kCrLf;
    for (const DriveFigures& d : drives) {
        text += std::string(kCrLf) + " " + d.name;
        if (!d.readable) {
            messages.show({"", "Error in GetDiskFreeSpace.", MessageIcon::None, MessageButtons::Ok});
            continue;
        }
        text += " Total: " + megabytesText(d.totalBytes, groupSeparator) + "MB";
        text += ", Free: " + megabytesText(d.freeBytes, groupSeparator) + "MB";
        // A file system that reports no size has no percentage to give.
        const uint64_t percent =
            d.totalBytes == 0 ? 0 : static_cast<uint64_t>(static_cast<long double>(d.freeBytes) * 100 / d.totalBytes);
        text += "  (" + std::to_string(percent) + "%)";
    }
    return text;
}

ColorDepthText colorDepthText(int bits) {
    ColorDepthText c;
    std::string name;
    switch (bits) {
    case 1: name = "Monochrom"; c.indicatorRgb = 0xC00000; break;
    case 4: name = "Index Colors"; c.indicatorRgb = 0xC00000; break;
    case 8: name = "256 Colors"; c.indicatorRgb = 0xC00000; break;
    case 16: name = "High Color"; c.indicatorRgb = 0x00C000; break;
    case 32: name = "True Color"; c.indicatorRgb = 0x00C000; break;
    default: break;
    }
    c.text = std::to_string(bits) + " Bit - " + name;
    return c;
}

std::string resolutionText(int width, int height) { return std::to_string(width) + " x " + std::to_string(height); }

namespace {

bool isPseudoOrNetwork(const QByteArray& type) {
    static const char* const skipped[] = {"proc", "sysfs", "tmpfs", "devtmpfs", "devpts", "overlay", "squashfs",
                                          "cgroup", "cgroup2", "securityfs", "debugfs", "tracefs", "configfs",
                                          "ramfs", "autofs", "mqueue", "hugetlbfs", "pstore", "bpf", "binfmt_misc",
                                          "efivarfs", "fusectl", "nsfs", "iso9660", "udf", "nfs", "nfs4", "cifs",
                                          "smb3", "smbfs", "sshfs", "9p", "ceph", "glusterfs", "afs"};
    for (const char* s : skipped)
        if (type == s) return true;
    return type.startsWith("fuse.") || type == "fuse";
}

// The block device's "removable" flag; a partition takes its disk's.
bool isRemovableDevice(const QByteArray& device) {
    if (!device.startsWith("/dev/")) return false;
    const QString dev = QFileInfo(QString::fromLocal8Bit(device)).canonicalFilePath();
    const QString sysPath = QFileInfo("/sys/class/block/" + QFileInfo(dev).fileName()).canonicalFilePath();
    if (sysPath.isEmpty()) return false;
    for (const QString& dir : {sysPath, QFileInfo(sysPath).path()}) {
        QFile flag(dir + "/removable");
        if (flag.open(QIODevice::ReadOnly)) return flag.readAll().trimmed() == "1";
    }
    return false;
}

}  // namespace

std::vector<DriveFigures> localHardDisks() {
    std::vector<DriveFigures> drives;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (isPseudoOrNetwork(volume.fileSystemType()) || volume.isReadOnly() || isRemovableDevice(volume.device()))
            continue;
        DriveFigures d;
        d.name = volume.rootPath().toStdString();
        d.readable = volume.isValid() && volume.isReady() && volume.bytesTotal() >= 0 && volume.bytesFree() >= 0;
        if (d.readable) {
            d.totalBytes = static_cast<uint64_t>(volume.bytesTotal());
            d.freeBytes = static_cast<uint64_t>(volume.bytesFree());
        }
        drives.push_back(d);
    }
    return drives;
}

}  // namespace kelmora::app
