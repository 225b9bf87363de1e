#pragma once

// Text from the embedded DejaVu fonts, as coverage masks that the drawing
// code lays over its own colours.

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "canvas.h"

typedef struct _TTF_Font TTF_Font;

namespace pm {

enum class Face { kSansBold, kSerifBold };

struct TextMask {
    int width = 0, height = 0;
    std::vector<uint8_t> alpha;
    // Bounds of the inked pixels, for optical centring.
    int inkLeft = 0, inkTop = 0, inkRight = 0, inkBottom = 0;
    double At(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= width || y >= height) return 0.0;
        return alpha[size_t(y) * width + x] / 255.0;
    }
};

class TextRenderer {
public:
    TextRenderer() = default;
    ~TextRenderer();
    TextRenderer(const TextRenderer&) = delete;
    TextRenderer& operator=(const TextRenderer&) = delete;

    bool Init(std::string* error);
    // An empty mask when the text cannot be rendered; error says why.
    bool Render(Face face, int points, const std::string& text, TextMask* out, std::string* error);

private:
    TTF_Font* Font(Face face, int points, std::string* error);
    bool ttfStarted_ = false;
    std::map<std::pair<int, int>, TTF_Font*> fonts_;
};

// Lays the mask over the canvas with its top-left at (x, y); colourAt gives
// the text colour at each canvas pixel.
void DrawMask(Canvas& canvas, const TextMask& mask, int x, int y, const std::function<Colour(int, int)>& colourAt);
void DrawMask(Canvas& canvas, const TextMask& mask, int x, int y, const Colour& colour);

}  // namespace pm
