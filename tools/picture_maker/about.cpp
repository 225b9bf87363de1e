// The about picture: two centred credit lines on black, and the OK strip.

#include "pictures.h"

namespace pm {
namespace {

void Centred(Canvas& c, const TextMask& m, int centreY)
{
    int inkW = m.inkRight - m.inkLeft, inkH = m.inkBottom - m.inkTop;
    int x = (c.Width() - inkW) / 2 - m.inkLeft;
    int y = centreY - inkH / 2 - m.inkTop;
    DrawMask(c, m, x, y, Rgb(255, 255, 255));
}

}  // namespace

bool DrawAbout(TextRenderer& text, Canvas* out, std::string* error)
{
    Canvas c(640, 510);
    c.Fill(0, 0, 640, 480, Rgb(0, 0, 0));
    TextMask title, credit;
    if (!text.Render(Face::kSerifBold, 48, "Lorvex", &title, error)) return false;
    if (!text.Render(Face::kSansBold, 18, "A worm game for one or two players", &credit, error)) return false;
    Centred(c, title, 200);
    Centred(c, credit, 268);
    if (!DrawButtonStrip(text, c, 480, "OK", 606u, error)) return false;
    *out = std::move(c);
    return true;
}

}  // namespace pm
