#include "sequence/JoinPictures.h"

#include <span>

#include "image/BitmapFile.h"
#include "sequence/AviWriter.h"

namespace kelmora {
namespace {

// Keeps the bitmap object's message for the caller instead of showing it.
class LastMessage : public MessageSink {
public:
    MessageAnswer show(const Message& message) override {
        text = message.text;
        return MessageAnswer::Ok;
    }
    std::string text;
};

std::string oneLine(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += ' ';
        else if (c != '\r') out += c;
    }
    return out;
}

}  // namespace

Status joinPictures(const JoinRequest& request, const JoinProgress& progress) {
    if (request.pictures.empty()) return makeError("no pictures to join");
    if (request.rate < 1 || request.rate > 99) return makeError("the frame rate must be 1 to 99");
    LastMessage why;
    cDib dib;
    if (!dib.CreateFromFile(request.pictures[0], why)) return makeError(oneLine(why.text));
    const int32_t width = dib.Width(), height = dib.Height(), bits = dib.BitCount();

    AviWriter writer;
    auto fail = [&](const Status& st) -> Status {
        (void)writer.close();
        return makeError(request.output + ": " + st.error().message);
    };
    if (Status st = writer.open(request.output); !st) return fail(st);
    if (Status st = writer.createStream(request.rate, width, height < 0 ? -height : height); !st) return fail(st);
    if (Status st = writer.setCompressor(request.compressor); !st) return fail(st);
    if (Status st = writer.setFormat({dib.PointerToBitmapInfo(), size_t(dib.SizeBitmapInfo())}); !st) return fail(st);
    const int64_t total = int64_t(request.pictures.size());
    for (int64_t i = 0; i < total; ++i) {
        const std::string& path = request.pictures[size_t(i)];
        if (i > 0) {
            if (!dib.CreateFromFile(path, why)) {
                (void)writer.close();
                return makeError(oneLine(why.text));
            }
            if (dib.Width() != width || dib.Height() != height || dib.BitCount() != bits) {
                (void)writer.close();
                return makeError(path + ": a different format; pictures must have the first one's width, height and bit depth");
            }
        }
        if (Status st = writer.writeFrame({dib.PointerToBits(), size_t(dib.SizeImage())},
                                              {dib.PointerToBitmapInfo(), size_t(dib.SizeBitmapInfo())}); !st) return fail(st);
        if (progress) progress(i + 1, total);
    }
    if (Status st = writer.close(); !st) return makeError(request.output + ": " + st.error().message);
    return {};
}

}  // namespace kelmora
