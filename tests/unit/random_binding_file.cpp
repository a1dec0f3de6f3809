#include "random_binding_file.h"

#include <algorithm>
#include <vector>

namespace kio::binding::test {
namespace {

size_t Pick(std::mt19937& random, size_t count) {
    return std::uniform_int_distribution<size_t>(0, count - 1)(random);
}

bool Chance(std::mt19937& random, double probability) {
    return std::bernoulli_distribution(probability)(random);
}

template <typename T, size_t N>
const T& OneOf(std::mt19937& random, const std::array<T, N>& items) {
    return items[Pick(random, N)];
}

std::string RandomCase(std::mt19937& random, std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (Chance(random, 0.3)) {
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
            else if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

std::string Blanks(std::mt19937& random) {
    static constexpr std::array<std::string_view, 5> kBlanks = {"", "", " ", "\t", " \v\f "};
    return std::string(OneOf(random, kBlanks));
}

std::string LowerKeyName(std::mt19937& random) {
    std::string name(kio::binding::kKeyNames[Pick(random, kio::binding::kKeyNames.size())].name);
    std::transform(name.begin(), name.end(), name.begin(), [](char c) {
        return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return name;
}

std::string RandomHex(std::mt19937& random) {
    static constexpr std::string_view kDigits = "0123456789abcdefABCDEFgZ-";
    std::string value = Chance(random, 0.8) ? "0x" : "0X";
    const size_t length = Pick(random, 12);
    for (size_t i = 0; i < length; ++i) {
        value += kDigits[Pick(random, Chance(random, 0.9) ? 22 : kDigits.size())];
    }
    return value;
}

std::string RandomValue(std::mt19937& random) {
    switch (Pick(random, 6)) {
        case 0: return LowerKeyName(random);
        case 1: return RandomCase(random, LowerKeyName(random));
        case 2: return RandomHex(random);
        case 3: return std::to_string(Pick(random, 120));
        case 4: return "";
        default: {
            static constexpr std::array<std::string_view, 7> kOdd = {
                "=", ";", "\xA0space", "\x81\x40", "sp ace", "\x82\x0A", "0xFFFFFFFF"};
            return std::string(OneOf(random, kOdd));
        }
    }
}

std::string RandomKey(std::mt19937& random) {
    const int entry = static_cast<int>(Pick(random, kio::binding::kBindingCount));
    std::string name(kio::binding::BindingName(entry));
    switch (Pick(random, 8)) {
        case 0: return name + "x";                       // misspelt
        case 1: return name.substr(name.find('_') + 1);  // prefix missing
        case 2: return "";                               // nothing before "="
        default: return RandomCase(random, name);
    }
}

std::string RandomLine(std::mt19937& random) {
    switch (Pick(random, 10)) {
        case 0: return "; " + RandomKey(random) + "=" + RandomValue(random);
        case 1: return "[Keyboard]";
        case 2: return RandomKey(random) + " " + RandomValue(random);  // no "="
        case 3: return Blanks(random) + "\t";
        default: {
            std::string line = Blanks(random) + RandomKey(random) + Blanks(random) + "=" +
                               Blanks(random) + RandomValue(random);
            if (Chance(random, 0.3)) line += Chance(random, 0.5) ? ";" : " ;";
            if (Chance(random, 0.1)) line += " ; a comment";
            return line + Blanks(random);
        }
    }
}

}  // namespace

std::string RandomBindingFile(std::mt19937& random) {
    static constexpr std::array<std::string_view, 6> kBreaks = {"\n",   "\r\n", "\r",
                                                                "\n\r", "\n\n", "\r\n\r\n"};
    std::string file = Chance(random, 0.1) ? "\xEF\xBB\xBF" : "";
    const size_t lines = Pick(random, 40);
    for (size_t i = 0; i < lines; ++i) {
        file += RandomLine(random);
        if (i + 1 < lines || Chance(random, 0.5)) {
            file += OneOf(random, kBreaks);
        }
    }
    if (!file.empty() && Chance(random, 0.1)) {
        file.insert(Pick(random, file.size()), 1, '\0');
    }
    return file;
}

std::array<std::string, kio::binding::kActionCount> RandomActionList(std::mt19937& random) {
    std::array<std::string, kio::binding::kActionCount> list;
    for (int j = 0; j < kio::binding::kActionCount; ++j) {
        list[j] = std::string(kio::binding::kActions[j].name);
    }
    if (Chance(random, 0.3)) {
        return list;
    }
    std::shuffle(list.begin(), list.end(), random);
    const size_t changes = Pick(random, 5);
    for (size_t i = 0; i < changes; ++i) {
        std::string& name = list[Pick(random, list.size())];
        switch (Pick(random, 3)) {
            case 0:
                name = list[Pick(random, list.size())];
                break;  // a repeat; one action goes missing
            case 1: name = RandomCase(random, name); break;
            default: name += "x"; break;
        }
    }
    return list;
}

}  // namespace kio::binding::test
