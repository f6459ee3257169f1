#pragma once

#include <QStringList>

// quarix-cli run FILE1 --function NAME [options]: one of the seven functions on one or two files,
// configured as the wizard's panels would be, run as the Run command runs it; the result grid on
// standard output. `arguments` follow "run". Returns the exit status.
int RunFunctionCommand(const QStringList& arguments);
