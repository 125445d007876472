// velmora-docs MANUAL COMPLETION: writes the manual page and the bash completion of velmora, made
// from the same command descriptions as `velmora --help`, at build time.
#include "cli/Command.h"

#include <fstream>
#include <iostream>

namespace {

bool write(const char* file, const std::string& content) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << content;
    out.close();
    if (!out)
        std::cerr << "velmora-docs: cannot write " << file << "\n";
    return static_cast<bool>(out);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: velmora-docs MANUAL COMPLETION\n";
        return 2;
    }
    const bool written =
        write(argv[1], velmora::cli::manualPage()) && write(argv[2], velmora::cli::bashCompletion());
    return written ? 0 : 1;
}
