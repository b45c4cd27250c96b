#pragma once
// The scripts the reader runs in its pages. Each is a file of the program's
// resources (res/pagescripts/<name>.js, compiled in as
// ":/pagescripts/<name>.js"), read once and kept; callers fill the "%1"...
// placeholders with QString::arg as each script documents at its call site.
// They live outside ":/res", so pages cannot load them as res:// files.
#include <QString>

// The text of the script `name` (without ".js"), without the line break that
// ends its file. A script missing from the resources is a build fault: the
// program stops with a message naming it.
QString PageScript(const char* name);
