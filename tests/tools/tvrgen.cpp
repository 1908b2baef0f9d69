// Writes a recording for demos and benchmarks:
//   tvrgen PATH CHANNELS FREQ FRAMES [SEED [YYYY-MM-DDTHH:MM:SS [TRAILING_BYTES]]]
// The time, in UTC, becomes the file's creation time as the program reads it.
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "tests/support/recording_writer.h"

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(
        stderr,
        "usage: tvrgen PATH CHANNELS FREQ FRAMES [SEED [YYYY-MM-DDTHH:MM:SS [TRAILING]]]\n");
    return 2;
  }
  tvr::test::RecordingLayout layout;
  layout.channels = std::atoi(argv[2]);
  layout.freq = std::atof(argv[3]);
  layout.frames = std::atoll(argv[4]);
  if (argc > 5) layout.seed = static_cast<unsigned>(std::atoi(argv[5]));
  if (argc > 7) layout.trailingBytes = std::atoi(argv[7]);
  try {
    tvr::test::WriteRecording(argv[1], layout);
    if (argc > 6) {
      int y, mo, d, h, mi, s;
      if (std::sscanf(argv[6], "%d-%d-%dT%d:%d:%d", &y, &mo, &d, &h, &mi, &s) != 6) {
        std::fprintf(stderr, "tvrgen: bad time %s\n", argv[6]);
        return 2;
      }
      tvr::test::SetCreationTime(argv[1], tvr::test::MakeTime(y, mo, d, h, mi, s));
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tvrgen: %s\n", e.what());
    return 1;
  }
  return 0;
}
