// The program's entry: the command line as one text, then the shell's run.
#include <string>

#include "shell/app.h"

int main(int argc, char** argv) {
  std::string cmdline;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) cmdline += ' ';
    cmdline += argv[i];
  }
  return vnMAIN_Run(cmdline.c_str());
}
