// A stand-in for the external texture converter, for the converter tests. It does what the
// file "stand-in-mode" in its working directory says:
//   ok N      write <out dir>/temp.dds: a 128-byte header, then N bytes, byte i being
//             (i * 7 + blue of the first pixel of the input BMP) & 0xFF
//   none      write nothing
//   sleep     sleep for a minute
// In every mode it first records its arguments, one per line, in "stand-in-args".
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

int main(int argc, char** argv) {
    std::ofstream args("stand-in-args");
    for (int i = 1; i < argc; ++i) args << argv[i] << '\n';
    args.close();

    std::ifstream mode_file("stand-in-mode");
    std::string mode;
    long count = 0;
    mode_file >> mode >> count;
    if (mode == "sleep") {
        std::this_thread::sleep_for(std::chrono::seconds(60));
        return 0;
    }
    if (mode != "ok" || argc != 6) return 0;

    std::ifstream bmp(argv[3], std::ios::binary);
    std::vector<char> header(55, 0);
    bmp.read(header.data(), 55);
    if (!bmp || header[0] != 'B' || header[1] != 'M') return 2;
    const int blue = static_cast<unsigned char>(header[54]);

    std::ofstream dds(std::string(argv[5]) + "/temp.dds", std::ios::binary);
    std::vector<char> bytes(128, 0);
    bytes[0] = 'D';
    bytes[1] = 'D';
    bytes[2] = 'S';
    bytes[3] = ' ';
    for (long i = 0; i < count; ++i) bytes.push_back(static_cast<char>((i * 7 + blue) & 0xFF));
    dds.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return dds ? 0 : 3;
}
