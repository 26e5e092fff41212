// gif-info: the GIF model as read: version, logical screen, global table and every image.
#include "cli/cli.h"

#include "core/gif/gif_file.h"

#include <cstdio>
#include <iostream>

namespace orv::cli {
namespace {

std::string Hex(uint8_t b) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", b);
    return text;
}

int RunGifInfo(const std::vector<std::string>& argv) {
    const TArgs args = ParseArgs(argv, {}, {});
    if (args.Positional.size() != 1) throw EUsage("gif-info takes one FILE.gif");
    TGifFile gif;
    gif.LoadFromFile(args.Positional[0]);
    std::cout << "version: " << std::string(gif.Version.data(), 3) << "\n"
              << "screen: " << gif.ScreenWidth << "x" << gif.ScreenHeight << "\n"
              << "flags: " << Hex(gif.Flags) << "\n"
              << "background: " << int(gif.BackgroundIndex) << "\n"
              << "global-table: " << (gif.HasGlobalTable ? gif.GlobalTable.Count : 0) << "\n"
              << "images: " << gif.SubImages.size() << "\n";
    for (size_t k = 0; k < gif.SubImages.size(); ++k) {
        const TGifSubImage& image = *gif.SubImages[k];
        const TImageDescriptor& d = image.Descriptor;
        std::cout << "image " << k + 1 << ": left=" << d.Left << " top=" << d.Top << " width=" << d.Width
                  << " height=" << d.Height << " flags=" << Hex(d.Flags)
                  << " local-table=" << (image.HasLocalTable ? image.LocalTable.Count : 0)
                  << " code-size=" << int(image.CodeSize) << " delay=" << image.GetDelay()
                  << " interlaced=" << (image.Interlaced ? 1 : 0) << "\n";
    }
    return 0;
}

const TVerbRegistrar
    kGifInfo({"gif-info", "the blocks of a GIF file as the GIF reader reads them",
              "Usage: orvanel-cli gif-info FILE.gif\n"
              "Reads the whole file, decoding every image, and prints key: value lines:\n"
              "version, screen (WxH), flags (logical screen flags), background, global-table\n"
              "(entries, 0 without a global table), images, then one line per image:\n"
              "  image N: left= top= width= height= flags= local-table= code-size= delay= interlaced=\n"
              "delay is in hundredths of a second (the image's last graphic control extension).\n"
              "A file the reader refuses: its message on standard error, exit status 1.\n",
              RunGifInfo});

} // namespace
} // namespace orv::cli
