#include "platform/web/WebBox.h"

#include <emscripten.h>

#include <limits>
#include <vector>

#include "platform/canvas/MonoText.h"
#include "system/Image.h"
#include "system/MessageBoxLayout.h"
#include "system/MessageBoxPicture.h"
#include "system/TextCodec.h"

EM_JS(void, web_show_box, (const uint8_t* rgba, int width, int height), { Module.page.showBox(rgba, width, height); });
EM_JS(void, web_hide_box, (), { Module.page.hideBox(); });
// 0: nothing; 1: a key that dismisses; 2 and 3: the mouse pressed and released at xy.
EM_JS(int, web_take_box_event, (int* xy), { return Module.page.takeBoxEvent(xy); });

namespace {

constexpr uint32_t kInk = 0x000000;

void Draw(Image& image, const MessageBoxLayout& layout, bool buttonDown) {
    const int px = layout.fontPixels;
    const MessageBoxFont face{
        [px](const std::string& s) { return MonoTextWidth(FromUtf8(s), px); }, MonoLineHeight(px),
        [px](Image& target, int x, int y, const std::string& line) {
            PrintMono(target, x, y, FromUtf8(line), ImageRect{0, 0, target.Width(), target.Height()}, px, kInk);
        }};
    DrawMessageBox(image, layout, buttonDown, face);
    std::vector<uint8_t> rgba(static_cast<size_t>(image.Width()) * static_cast<size_t>(image.Height()) * 4);
    uint8_t* out = rgba.data();
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x, out += 4) {
            const uint32_t p = image.Row(y)[x];
            out[0] = uint8_t(p >> 16), out[1] = uint8_t(p >> 8), out[2] = uint8_t(p), out[3] = 255;
        }
    web_show_box(rgba.data(), image.Width(), image.Height());
}

}  // namespace

void RunWebMessageBox(const std::string& text, Platform::WhileOpen whileOpen,
                      const std::function<void(int64_t)>& sleepUntil, const std::function<int64_t()>& clock) {
    const int px = MessageBoxFontPixels(1);
    const MessageBoxLayout layout =
        LayOutMessageBox(text, 1, [px](const std::string& s) { return MonoTextWidth(FromUtf8(s), px); });
    std::unique_ptr<Image> image = NewImage(layout.width, layout.height);
    bool buttonDown = false;
    Draw(*image, layout, buttonDown);
    for (bool open = true; open;) {
        int xy[2] = {0, 0};
        const int event = web_take_box_event(xy);
        if (event == 1) break;
        if (event == 2 || event == 3) {
            const bool onButton = layout.button.Contains(xy[0], xy[1]);
            if (event == 3 && buttonDown && onButton) open = false;
            buttonDown = event == 2 && onButton;
            Draw(*image, layout, buttonDown);
            continue;
        }
        const int64_t due = whileOpen != nullptr ? whileOpen() : std::numeric_limits<int64_t>::max();
        sleepUntil(std::min<int64_t>(due, clock() + (int64_t(1) << 30)));
    }
    web_hide_box();
}
