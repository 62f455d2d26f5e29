#include "sequence/WriteAviCommand.h"

#include "image/BitmapFile.h"
#include "sequence/AviWriter.h"
#include "sequence/FileDialog.h"
#include "sequence/PictureList.h"
#include "settings/Settings.h"

namespace kelmora {
namespace {

void showWriteError(MessageSink& messages, const Status& st) {
    std::string text = kWriteErrorText;
    if (!st.error().message.empty()) text += std::string(kCrLf) + kCrLf + st.error().message;
    messages.show({"", text, MessageIcon::Information, MessageButtons::Ok});
}

}  // namespace

void writeAvi(PictureList& list, const std::string& frameRateText, Settings& settings, CompressorChoice& compressor,
              const WriteAviTools& tools) {
    if (list.count() == 0) {
        tools.messages.show({"", kEmptyListText, MessageIcon::Information, MessageButtons::Ok});
        return;
    }
    cFileDlg dialog;
    dialog.DefaultExt = "avi";
    dialog.DlgTitle = kSaveAviTitle;
    dialog.Filter = kAviFilter;
    dialog.InitDirectory = settings.aviPath();
    std::string fileName = "kelmora.avi";
    if (!dialog.VBGetSaveFileName(tools.files, fileName)) return;

    AviWriter writer;
    // Every failure ends here: the writer is closed (a partial file keeps its whole frames).
    auto finish = [&](Status st) {
        Status closed = writer.close();
        if (st.ok() && !closed.ok()) st = closed;
        if (!st.ok()) showWriteError(tools.messages, st);
    };
    if (Status st = writer.open(fileName); !st) return finish(st);

    cDib dib;
    list.select(0);
    tools.view.selectionShown();
    if (!dib.CreateFromFile(list.entries()[0], tools.messages)) {
        tools.messages.show({"", kFirstBitmapText, MessageIcon::Warning, MessageButtons::Ok});
        return finish({});
    }
    const ReferenceFormat first{true, dib.Width(), dib.Height(), dib.BitCount()};
    const int rate = frameRateForWriting(frameRateText);
    if (Status st = writer.createStream(rate, first.width, first.height < 0 ? -first.height : first.height); !st) {
        return finish(st);
    }
    auto choice = tools.compressors.choose(availableCompressors(), compressor);
    if (!choice) return finish({});  // cancelled: no message
    compressor = *choice;
    if (Status st = writer.setCompressor(compressor); !st) return finish(st);
    if (Status st = writer.setFormat({dib.PointerToBitmapInfo(), size_t(dib.SizeBitmapInfo())}); !st) {
        return finish(st);
    }
    for (int i = 0; i < list.count(); ++i) {
        list.select(i);
        const std::string path = list.entries()[size_t(i)];
        // A picture that can't be read any more ends the write with the reader's own message,
        // rather than repeating the previous picture.
        if (!dib.CreateFromFile(path, tools.messages)) return finish({});
        if (dib.Width() != first.width || dib.Height() != first.height || dib.BitCount() != first.bitCount) {
            tools.messages.show({path, kDifferentFormatText, MessageIcon::Information, MessageButtons::Ok});
            return finish({});
        }
        if (Status st = writer.writeFrame({dib.PointerToBits(), size_t(dib.SizeImage())},
                                          {dib.PointerToBitmapInfo(), size_t(dib.SizeBitmapInfo())});
            !st) {
            return finish(st);
        }
        tools.view.selectionShown();
        tools.view.statusShown("Frame number " + std::to_string(i) + " saved");
    }
    Status st = writer.close();
    if (!st) return showWriteError(tools.messages, st);
    tools.view.statusShown("Finished");
}

}  // namespace kelmora
