// picture_maker <output-folder>: draws the game's pictures and icon and
// writes them as IDB_GROUND.bmp, IDB_HRA.bmp, IDB_MENU.bmp, IDB_ABOUT.bmp
// and lorvex.ico, the window icon as lorvex-64.bmp, and the icon for desktops and
// the browser's web app as lorvex-<size>.png.

#include <cstdio>
#include <string>
#include <sys/stat.h>

#include "indexed.h"
#include "pictures.h"

namespace {

bool WriteBmp(const std::string& folder, const char* name, const pm::Canvas& canvas, std::string* error,
              int greyRamp = 0)
{
    pm::Palette pal = pm::BuildPalette({&canvas}, greyRamp);
    pm::IndexedImage img = pm::MapToPalette(canvas, pal);
    return pm::WriteFile(folder + "/" + name, pm::EncodeBmp(img, pal), error);
}

bool Run(const std::string& folder, std::string* error)
{
    struct stat st;
    if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        *error = "not a folder: " + folder;
        return false;
    }
    pm::TextRenderer text;
    if (!text.Init(error)) return false;
    pm::Canvas menu(1, 1), about(1, 1);
    if (!pm::DrawMenu(text, &menu, error) || !pm::DrawAbout(text, &about, error)) return false;
    if (!WriteBmp(folder, "IDB_GROUND.bmp", pm::DrawGround(), error)) return false;
    if (!WriteBmp(folder, "IDB_HRA.bmp", pm::DrawSprites(), error)) return false;
    if (!WriteBmp(folder, "IDB_MENU.bmp", menu, error)) return false;
    if (!WriteBmp(folder, "IDB_ABOUT.bmp", about, error, 64)) return false;
    std::vector<pm::Canvas> icons = pm::DrawIcons();
    std::vector<const pm::Canvas*> sizes;
    for (const pm::Canvas& c : icons) sizes.push_back(&c);
    if (!pm::WriteFile(folder + "/lorvex.ico", pm::EncodeIco(sizes), error)) return false;
    if (!pm::WriteFile(folder + "/lorvex-64.bmp", pm::EncodeBmp(pm::DrawIconRgba(64)), error)) return false;
    for (int size : pm::kIconPngSizes)
        if (!pm::WritePng(folder + "/lorvex-" + std::to_string(size) + ".png", pm::DrawIconRgba(size), error))
            return false;
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2 || argv[1][0] == '\0') {
        std::fprintf(stderr, "usage: picture_maker <output-folder>\n");
        return 2;
    }
    std::string error;
    if (!Run(argv[1], &error)) {
        std::fprintf(stderr, "picture_maker: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
