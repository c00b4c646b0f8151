// tarnc: compiles one Tarnwell source file into a 32-bit Windows console program.
#include "driver/driver.h"
#include "platform/platform.h"

int main(int argc, char** argv) {
  tarn::platform::set_binary_stdio();
  return tarn::run_tarnc(tarn::platform::arguments(argc, argv));
}
