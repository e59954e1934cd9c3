// Writes the sample model to a file, or checks that a file holds exactly the sample model.
#include "SampleModel.hpp"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

int main(int argc, char* argv[])
{
    const bool check = argc == 3 && std::strcmp(argv[1], "--check") == 0;
    if (argc != 2 && !check) {
        std::fprintf(stderr, "usage: lathwork-make-sample OUTPUT.OPT | --check FILE.OPT\n");
        return 2;
    }
    const auto bytes = lathwork::sample::BuildSampleModel().bytes;
    const char* path = argv[argc - 1];
    if (check) {
        std::ifstream in(path, std::ios::binary);
        const std::vector<std::uint8_t> stored{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        if (!in.eof() && in.fail()) {
            std::fprintf(stderr, "cannot read %s\n", path);
            return 1;
        }
        if (stored != bytes) {
            std::fprintf(stderr, "%s differs from the generated sample (%zu bytes stored, %zu generated)\n", path,
                         stored.size(), bytes.size());
            return 1;
        }
        return 0;
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", path);
        return 1;
    }
    return 0;
}
