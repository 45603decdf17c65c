// Runs a script of private-profile reads and writes against files and prints every result, so
// that the same script can go through the Windows calls (profile_runner.exe under Wine) and through
// our own file code (profile_runner on Linux) and the outputs and files be compared.
//   profile_runner <file> <script>
// Script lines (texts in hex, "-" for the empty text):
//   F <name>                             later lines use the file <file><name>; prints "F <name>"
//   R <section> <key> <default> <size>   read; prints "R <count> <value hex>"
//   W <section> <key> <value>            write; prints "W <flag>"
#include "profile_runner.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string fromHex(const std::string& hex) {
    std::string out;
    if (hex == "-") return out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        out.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    }
    return out;
}

std::string toHex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out.push_back(digits[c >> 4]);
        out.push_back(digits[c & 15]);
    }
    return out.empty() ? "-" : out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: profile_runner <file> <script>\n");
        return 2;
    }
    std::ifstream script(argv[2]);
    std::string file = argv[1];
    std::string line;
    while (std::getline(script, line)) {
        std::istringstream fields(line);
        std::string op;
        fields >> op;
        if (op == "F") {
            std::string name;
            fields >> name;
            file = std::string(argv[1]) + name;
            std::printf("F %s\n", name.c_str());
        } else if (op == "R") {
            std::string section, key, fallback;
            unsigned size = 0;
            fields >> section >> key >> fallback >> size;
            std::vector<char> buffer(size + 1, '\x7f');
            const unsigned count = orveline::test::runnerRead(
                fromHex(section).c_str(), fromHex(key).c_str(), fromHex(fallback).c_str(),
                buffer.data(), size, file.c_str());
            std::printf("R %u %s\n", count, size ? toHex(std::string(buffer.data())).c_str() : "-");
        } else if (op == "W") {
            std::string section, key, value;
            fields >> section >> key >> value;
            const bool ok =
                orveline::test::runnerWrite(fromHex(section).c_str(), fromHex(key).c_str(),
                                            fromHex(value).c_str(), file.c_str());
            std::printf("W %d\n", ok ? 1 : 0);
        }
    }
    return 0;
}
