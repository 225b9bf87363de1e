// Runs a fuzz target without libFuzzer, for valgrind (SDL comes uninstrumented, so only valgrind
// sees into it) and for the ordinary test suite:
//   replay_<target> [--mutations N] FILE_OR_FOLDER...
// feeds every file, then N copies of them with their headers damaged: fields set to edge values
// and bytes changed, always the same ones for the same files.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kHeaderBytes = 160;  // headers, masks and the start of a palette

void Collect(const std::string& path, std::vector<std::string>& files)
{
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return;
    if (!S_ISDIR(st.st_mode)) {
        files.push_back(path);
        return;
    }
    std::vector<std::string> names;
    if (DIR* d = opendir(path.c_str())) {
        while (const dirent* e = readdir(d))
            if (e->d_name[0] != '.') names.push_back(e->d_name);
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) Collect(path + "/" + name, files);
}

Bytes ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Random {
    std::uint64_t state;
    std::uint32_t Next()
    {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<std::uint32_t>(state >> 33);
    }
    std::uint32_t Below(std::uint32_t n) { return n == 0 ? 0 : Next() % n; }
};

void Damage(Bytes& bytes, Random& random)
{
    static const std::uint32_t kEdges[] = {
        0,   1,   2,    3,    4,     8,     12,     16,     24,     32,      40,         108,        124,
        255, 256, 4096, 4097, 16384, 16385, 0x7FFF, 0x8000, 0xFFFF, 0x10000, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF};
    const std::size_t span = std::min(bytes.size(), kHeaderBytes);
    if (span == 0) return;
    const int changes = 1 + static_cast<int>(random.Below(4));
    for (int i = 0; i < changes; ++i) {
        const std::size_t at = random.Below(static_cast<std::uint32_t>(span));
        switch (random.Below(4)) {
        case 0: bytes[at] = static_cast<std::uint8_t>(random.Next()); break;
        case 1: bytes.resize(std::max<std::size_t>(at, 1)); return;  // cut short
        default: {
            std::uint32_t value = kEdges[random.Below(sizeof kEdges / sizeof kEdges[0])];
            if (random.Below(3) == 0) value = static_cast<std::uint32_t>(bytes.size()) + random.Below(3) - 1;
            const std::size_t width = random.Below(2) == 0 ? 2 : 4;
            for (std::size_t b = 0; b < width && at + b < bytes.size(); ++b)
                bytes[at + b] = static_cast<std::uint8_t>(value >> (8 * b));
        }
        }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    long mutations = 0;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--mutations" && i + 1 < argc) mutations = std::strtol(argv[++i], nullptr, 10);
        else Collect(arg, files);
    }
    if (files.empty()) {
        std::fprintf(stderr, "usage: %s [--mutations N] FILE_OR_FOLDER...\n", argv[0]);
        return 2;
    }
    std::vector<Bytes> inputs;
    for (const std::string& file : files) inputs.push_back(ReadAll(file));
    for (const Bytes& input : inputs) LLVMFuzzerTestOneInput(input.data(), input.size());
    Random random{0x10A7E5};
    for (long i = 0; i < mutations; ++i) {
        Bytes damaged = inputs[static_cast<std::size_t>(i) % inputs.size()];
        Damage(damaged, random);
        LLVMFuzzerTestOneInput(damaged.data(), damaged.size());
    }
    std::printf("%zu files and %ld damaged copies ran\n", inputs.size(), mutations);
    return 0;
}
