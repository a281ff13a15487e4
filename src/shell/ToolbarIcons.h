#pragma once

#include <QIcon>

// The toolbar's 16 x 16 button pictures, drawn in code.
namespace tavrel::shell {

// An icon for a toolbar command; a null icon for a command without a button.
QIcon MakeCommandIcon(int command_id);

}  // namespace tavrel::shell
