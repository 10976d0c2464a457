#include "platform/ConsoleWindow.h"

bool KeepsWindowOpen(bool underWine, int processesOnConsole, bool inIsConsole,
                     bool outIsConsole, bool errIsConsole) {
  return !underWine && processesOnConsole == 1 && inIsConsole &&
         outIsConsole && errIsConsole;
}
