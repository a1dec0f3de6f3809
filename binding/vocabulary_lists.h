// The fixed vocabularies of the binding file: the 27 actions with their 54
// binding names, and the DirectInput key names with their codes.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace kio {

inline constexpr int kActionCount = 27;
inline constexpr int kBindingCount = 2 * kActionCount;
inline constexpr int kKeyNameCount = 144;

struct Action {
    std::string_view name;         // "MoveForward"
    std::string_view keyboardName; // "KB_MoveForward", action-table entry 2p
    std::string_view padName;      // "PAD_MoveForward", action-table entry 2p+1
};

struct KeyName {
    std::string_view name;  // as DirectInput spells it; the file must use lower case
    int32_t code;
};

#define KIO_ACTION(name) Action{#name, "KB_" #name, "PAD_" #name}
inline constexpr std::array<Action, kActionCount> kActions = {
    KIO_ACTION(MoveForward), KIO_ACTION(MoveBackward), KIO_ACTION(MoveLeft),
    KIO_ACTION(MoveRight),   KIO_ACTION(TurnRight),    KIO_ACTION(TurnLeft),
    KIO_ACTION(Up),          KIO_ACTION(Down),         KIO_ACTION(Left),
    KIO_ACTION(Right),       KIO_ACTION(Enter),        KIO_ACTION(Action),
    KIO_ACTION(Cancel),      KIO_ACTION(SkipDemo),     KIO_ACTION(Pause),
    KIO_ACTION(Pose),        KIO_ACTION(Evade),        KIO_ACTION(RearCamera),
    KIO_ACTION(Run),         KIO_ACTION(ScrapBook),    KIO_ACTION(Map),
    KIO_ACTION(Item),        KIO_ACTION(Iteminfo),     KIO_ACTION(CameraLeft),
    KIO_ACTION(CameraRight), KIO_ACTION(CameraUp),     KIO_ACTION(CameraDown),
};
#undef KIO_ACTION

inline constexpr std::array<KeyName, kKeyNameCount> kKeyNames = {{
    {"Escape", 0x01},      {"1", 0x02},           {"2", 0x03},          {"3", 0x04},
    {"4", 0x05},           {"5", 0x06},           {"6", 0x07},          {"7", 0x08},
    {"8", 0x09},           {"9", 0x0A},           {"0", 0x0B},          {"-", 0x0C},
    {"=", 0x0D},           {"Back", 0x0E},        {"Tab", 0x0F},        {"Q", 0x10},
    {"W", 0x11},           {"E", 0x12},           {"R", 0x13},          {"T", 0x14},
    {"Y", 0x15},           {"U", 0x16},           {"I", 0x17},          {"O", 0x18},
    {"P", 0x19},           {"[", 0x1A},           {"]", 0x1B},          {"Return", 0x1C},
    {"LControl", 0x1D},    {"A", 0x1E},           {"S", 0x1F},          {"D", 0x20},
    {"F", 0x21},           {"G", 0x22},           {"H", 0x23},          {"J", 0x24},
    {"K", 0x25},           {"L", 0x26},           {";", 0x27},          {"'", 0x28},
    {"Grave", 0x29},       {"LShift", 0x2A},      {"\\", 0x2B},         {"Z", 0x2C},
    {"X", 0x2D},           {"C", 0x2E},           {"V", 0x2F},          {"B", 0x30},
    {"N", 0x31},           {"M", 0x32},           {",", 0x33},          {".", 0x34},
    {"/", 0x35},           {"RShift", 0x36},      {"*", 0x37},          {"LMenu", 0x38},
    {"Space", 0x39},       {"Capital", 0x3A},     {"F1", 0x3B},         {"F2", 0x3C},
    {"F3", 0x3D},          {"F4", 0x3E},          {"F5", 0x3F},         {"F6", 0x40},
    {"F7", 0x41},          {"F8", 0x42},          {"F9", 0x43},         {"F10", 0x44},
    {"NumLock", 0x45},     {"Scroll", 0x46},      {"NumPad7", 0x47},    {"NumPad8", 0x48},
    {"NumPad9", 0x49},     {"-", 0x4A},           {"NumPad4", 0x4B},    {"NumPad5", 0x4C},
    {"NumPad6", 0x4D},     {"+", 0x4E},           {"NumPad1", 0x4F},    {"NumPad2", 0x50},
    {"NumPad3", 0x51},     {"NumPad0", 0x52},     {"Decimal", 0x53},    {"OEM_102", 0x56},
    {"F11", 0x57},         {"F12", 0x58},         {"F13", 0x64},        {"F14", 0x65},
    {"F15", 0x66},         {"Kana", 0x70},        {"ABNT_C1", 0x73},    {"Convert", 0x79},
    {"NoConvert", 0x7B},   {"YEN", 0x7D},         {"ABNT_C2", 0x7E},    {"NumPadEquals", 0x8D},
    {"PrevTrack", 0x90},   {"AT", 0x91},          {"Colon", 0x92},      {"UnderLine", 0x93},
    {"Kanji", 0x94},       {"Stop", 0x95},        {"AX", 0x96},         {"UnLabeled", 0x97},
    {"NextTrack", 0x99},   {"NumPadEnter", 0x9C}, {"RControl", 0x9D},   {"Mute", 0xA0},
    {"Calculator", 0xA1},  {"PlayPause", 0xA2},   {"MediaStop", 0xA4},  {"VolumeDown", 0xAE},
    {"VolumeUp", 0xB0},    {"WebHome", 0xB2},     {"NumPadComma", 0xB3}, {"/", 0xB5},
    {"SysRq", 0xB7},       {"RMenu", 0xB8},       {"Pause", 0xC5},      {"Home", 0xC7},
    {"Up", 0xC8},          {"PgUp", 0xC9},        {"Left", 0xCB},       {"Right", 0xCD},
    {"End", 0xCF},         {"Down", 0xD0},        {"PgDn", 0xD1},       {"Insert", 0xD2},
    {"Delete", 0xD3},      {"LWin", 0xDB},        {"RWin", 0xDC},       {"Apps", 0xDD},
    {"Power", 0xDE},       {"Sleep", 0xDF},       {"Wake", 0xE3},       {"WebSearch", 0xE5},
    {"WebFavorites", 0xE6}, {"WebRefresh", 0xE7}, {"WebStop", 0xE8},    {"WebForward", 0xE9},
    {"WebBack", 0xEA},     {"MyComputer", 0xEB},  {"Mail", 0xEC},       {"MediaSelect", 0xED},
}};

}  // namespace kio
