// A web font is read whole, as it must be decoded and may be written anew; the limits on its size
// and on what it decodes to keep that within what real web fonts take.
#include "reader/web_reading.h"

#include "common/standard_input.h"
#include "sfnt/big_endian.h"

WebFlavour WebFlavourOfFile(FileHandle file, std::uint64_t size) {
  unsigned char signature[4];
  if (size < 4 || !FileReadAt(file, 0, signature, 4)) return WebFlavour::kNone;
  return WebFlavourOf(LoadBigEndian32(signature));
}

WebReading ReadWebFont(FileHandle file, std::uint64_t size) {
  WebReading web;
  if (size > kMaxWebFontBytes) {
    web.error =
        "it is larger than any real web font (" + std::to_string(kMaxWebFontBytes >> 20) + " MiB)";
    return web;
  }
  web.file.resize(static_cast<std::size_t>(size));
  if (!FileReadAt(file, 0, web.file.data(), web.file.size())) {
    web.error = "reading it failed";
    return web;
  }
  web.storedBytes = FileStoredBytes(file, size);
  web.font = ParseWebFont(web.file);
  if (web.font.error.empty()) web.view = DecodeWebView(web.font, web.file);
  web.error = !web.font.error.empty() ? web.font.error : web.view.error;
  if (!web.error.empty()) return web;
  std::string why;
  if (!SpoolCreate(&web.spool, &why)) {
    web.error = why;
  } else if (!FileWriteAt(web.spool, 0, web.view.bytes.data(), web.view.bytes.size())) {
    FileClose(web.spool);
    web.error = "writing its decoded tables to a temporary file failed";
  }
  return web;
}
