#pragma once

#include "platform/dinput.h"

// The difficulty level, kept between runs: it sets how much a worm grows per food.
constexpr int kMinLevel = 1;
constexpr int kMaxLevel = 20;
extern int gLevel;

// Holds the program's input object; releases it when the program ends.
struct DirectInputHolder {
    IDirectInputA* directInput = nullptr;

    void Release()
    {
        if (directInput != nullptr) {
            directInput->Release();
            directInput = nullptr;
        }
    }
    ~DirectInputHolder() { Release(); }
};
// Defined beside the application object, after it, so that it is released before the level is written.
extern DirectInputHolder gDirectInput;
