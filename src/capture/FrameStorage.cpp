#include "capture/FrameStorage.h"

#include <cmath>

#include "capture/CaptureTexts.h"
#include "capture/FrameNaming.h"
#include "image/BitmapWriter.h"
#include "image/JpegWriter.h"
#include "util/TextNumber.h"

namespace kelmora::capture {

bool frameInRange(const Settings& settings, int k) {
    if (settings.useFrameRange() != kChecked) return true;
    return !(leadingNumber(settings.startFrame()) > k || leadingNumber(settings.stopFrame()) < k);
}

StoreResult FrameStorage::storeFrame(int k, const std::string& moviePath) {
    StoreResult result;
    if (!frameInRange(settings_, k)) {
        result.outcome = StoreOutcome::OutsideRange;
        return result;
    }
    result.fileName = frameFileName(settings_, moviePath, k);
    if (settings_.format() == PictureFormat::Bmp) {
        if (!saveBitmapFile(picture_, result.fileName)) {
            result.outcome = StoreOutcome::Failed;
            result.failureText = kCantStoreImage;
        }
        return result;
    }
    int quality = int(std::floor(leadingNumber(settings_.quality())));
    if (!SaveJPG(picture_, result.fileName, quality, messages_)) {
        result.outcome = StoreOutcome::Failed;
        result.failureText = kCantWriteJpg;
    }
    return result;
}

}  // namespace kelmora::capture
