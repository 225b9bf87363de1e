// Game controllers beside the keyboard: the first pad steers as the arrow keys do, the second as
// A and S (d-pad or left stick left and right, and the shoulder buttons); Start is Space and
// Back is Esc. The pads hold keys in the same table the keyboard does, so the game reads them
// as keys. Pads come and go while the game runs; more than two wait for a free place.
#include <cerrno>
#include <cstdio>

#include "platform/dinput.h"
#include "platform/internal.h"
#include "platform/winuser.h"

namespace {

struct SteeringKeys {
    unsigned left;
    unsigned right;
};
constexpr SteeringKeys kSteering[] = {{DIK_LEFT, DIK_RIGHT}, {DIK_A, DIK_S}};
constexpr int kPlaces = 2;

// The stick counts as pushed beyond the first mark and as let go inside the second, so that a
// stick resting near a mark does not flicker.
constexpr Sint16 kPushed = 16000;
constexpr Sint16 kLetGo = 12000;

struct Place {
    SDL_GameController* pad = nullptr;
    SDL_JoystickID id = -1;
    int stick = 0;  // -1 pushed left, +1 right, 0 neither
};
Place gPlaces[kPlaces];
bool gOpen = false;

BYTE HolderOf(int place)
{
    return static_cast<BYTE>(0x02 << place);
}

int PlaceOf(SDL_JoystickID id)
{
    for (int p = 0; p < kPlaces; ++p)
        if (gPlaces[p].pad != nullptr && gPlaces[p].id == id) return p;
    return -1;
}

bool Button(const Place& place, SDL_GameControllerButton button)
{
    return SDL_GameControllerGetButton(place.pad, button) != 0;
}

// The place's steering keys as its pad holds them now.
void Steer(int p)
{
    Place& place = gPlaces[p];
    const Sint16 x = SDL_GameControllerGetAxis(place.pad, SDL_CONTROLLER_AXIS_LEFTX);
    if (x <= -kPushed) place.stick = -1;
    if (x >= kPushed) place.stick = 1;
    if (x > -kLetGo && x < kLetGo) place.stick = 0;
    const bool left = place.stick < 0 || Button(place, SDL_CONTROLLER_BUTTON_DPAD_LEFT) ||
                      Button(place, SDL_CONTROLLER_BUTTON_LEFTSHOULDER);
    const bool right = place.stick > 0 || Button(place, SDL_CONTROLLER_BUTTON_DPAD_RIGHT) ||
                       Button(place, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER);
    platform::HoldKey(kSteering[p].left, HolderOf(p), left);
    platform::HoldKey(kSteering[p].right, HolderOf(p), right);
}

bool Seated(int deviceIndex)
{
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(deviceIndex);
    return PlaceOf(id) >= 0;
}

// Gives a free place to the first pad that waits for one.
void Seat(int p)
{
    for (int device = 0; device < SDL_NumJoysticks(); ++device) {
        if (!SDL_IsGameController(device) || Seated(device)) continue;
        SDL_GameController* pad = SDL_GameControllerOpen(device);
        if (pad == nullptr) continue;
        gPlaces[p] = Place{pad, SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad))};
        Steer(p);
        return;
    }
}

// A pad pulled out lets go of its keys at once: no worm turns on for ever.
void Unseat(int p)
{
    platform::HoldKey(kSteering[p].left, HolderOf(p), false);
    platform::HoldKey(kSteering[p].right, HolderOf(p), false);
    SDL_GameControllerClose(gPlaces[p].pad);
    gPlaces[p] = Place{};
}

void SeatAll()
{
    for (int p = 0; p < kPlaces; ++p)
        if (gPlaces[p].pad == nullptr) Seat(p);
}

// A joystick without a known button layout cannot be read as a pad; the player is told once.
void ReportUnknownLayout(int deviceIndex)
{
    if (deviceIndex >= SDL_NumJoysticks() || SDL_IsGameController(deviceIndex)) return;
    const char* name = SDL_JoystickNameForIndex(deviceIndex);
    std::fprintf(stderr, "%s: the controller \"%s\" has no known button layout and is not used\n",
                 program_invocation_short_name, name != nullptr ? name : "");
}

bool KeyOfButton(Uint8 button, unsigned* virtualKey)
{
    if (button == SDL_CONTROLLER_BUTTON_START) *virtualKey = VK_SPACE;
    else if (button == SDL_CONTROLLER_BUTTON_BACK) *virtualKey = VK_ESCAPE;
    else return false;
    return true;
}

}  // namespace

namespace platform {

void OpenPads()
{
    // The window's focus decides whether the keys are read (DirectInput's foreground access);
    // the pads' state must stay true meanwhile, or a button let go elsewhere stays down.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    gOpen = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;  // without pads, the keys still play
}

void ClosePads()
{
    if (!gOpen) return;
    for (int p = 0; p < kPlaces; ++p)
        if (gPlaces[p].pad != nullptr) Unseat(p);
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    gOpen = false;
}

bool TranslatePad(const SDL_Event& e, unsigned* virtualKey, bool* down)
{
    switch (e.type) {
    case SDL_JOYDEVICEADDED: ReportUnknownLayout(e.jdevice.which); return false;
    case SDL_CONTROLLERDEVICEADDED: SeatAll(); return false;
    case SDL_CONTROLLERDEVICEREMOVED: {
        const int p = PlaceOf(e.cdevice.which);
        if (p >= 0) Unseat(p);
        SeatAll();
        return false;
    }
    case SDL_CONTROLLERAXISMOTION: {
        const int p = PlaceOf(e.caxis.which);
        if (p >= 0) Steer(p);
        return false;
    }
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP: {
        const int p = PlaceOf(e.cbutton.which);
        if (p < 0) return false;
        Steer(p);
        *down = e.type == SDL_CONTROLLERBUTTONDOWN;
        return KeyOfButton(e.cbutton.button, virtualKey);
    }
    default: return false;
    }
}

}  // namespace platform
