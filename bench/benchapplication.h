#pragma once

#include <QApplication>

// A benchmark's application: offscreen, named as the product (so that panels
// find their files where the product keeps them), and with the log lines off,
// which would otherwise time the terminal rather than the code.
class BenchApplication : public QApplication
{
public:
    BenchApplication(int &argc, char **argv);
};
