// kiobind show against the real libkio.so: a host in a folder of its own loads
// random files through GetPAM, and both must report the same 54 values.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>

#include "random_binding_file.h"

namespace kio::kiobind {
namespace {

namespace fs = std::filesystem;

constexpr int kFiles = 25;
// The host starts slot i at kFirstDefault + i: values no random line produces
// but by a 1 in 2^32 chance, so a slot kiobind calls "default" that a line did
// write cannot pass for one left alone.
constexpr int32_t kFirstDefault = 0x7EAD0000;

std::string Output(const std::string& command) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    std::string output;
    char buffer[4096];
    size_t count = 0;
    while (pipe && (count = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0) {
        output.append(buffer, count);
    }
    return output;
}

std::vector<std::string> Words(const std::string& text) {
    std::istringstream stream(text);
    std::vector<std::string> words;
    for (std::string word; stream >> word;) words.push_back(word);
    return words;
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

class TemporaryFolder {
public:
    TemporaryFolder()
        : path_(fs::temp_directory_path() / ("kiobind-host-" + std::to_string(::getpid()))) {
        fs::create_directories(path_);
    }
    ~TemporaryFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
};

TEST(HostAgreement, ShowRawMatchesGetPamThroughLibkio) {
    TemporaryFolder game;
    // The host finds input.ini beside its own file, so it must be a copy, not a link.
    fs::copy_file(KIO_DEMO_HOST, game.Path() / "demo_host");
    fs::copy_file(KIO_SHARED_LIBRARY, game.Path() / fs::path(KIO_SHARED_LIBRARY).filename());
    const std::string host = (game.Path() / "demo_host").string();
    const std::string input = (game.Path() / "input.ini").string();
    const std::string order = (game.Path() / "order.txt").string();

    std::mt19937 random(2024);
    for (int round = 0; round < kFiles; ++round) {
        WriteFile(input, binding::test::RandomBindingFile(random));
        const auto list = binding::test::RandomActionList(random);
        std::string names;
        for (const std::string& name : list) names += " " + name;
        WriteFile(order, names);

        const std::vector<std::string> fromHost = Words(Output(
            host + " --raw --defaults " + std::to_string(kFirstDefault) + " --order" + names));
        const std::vector<std::string> fromKiobind =
            Words(Output(std::string(KIOBIND) + " show --raw --order " + order + " " + input));
        ASSERT_EQ(fromHost.size(), 55u) << "round " << round;
        ASSERT_EQ(fromKiobind.size(), 55u) << "round " << round;
        for (size_t i = 0; i < fromHost.size(); ++i) {
            if (fromKiobind[i] == "default") {
                EXPECT_EQ(fromHost[i], std::to_string(kFirstDefault + static_cast<int32_t>(i) - 1))
                    << "round " << round << ", word " << i;
            } else {
                EXPECT_EQ(fromHost[i], fromKiobind[i]) << "round " << round << ", word " << i;
            }
        }
    }
}

}  // namespace
}  // namespace kio::kiobind
