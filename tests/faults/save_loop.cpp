// Saves contents A and B in turn over the file named on the command line until killed.
// Prints "saving" once the first save has gone through, so the caller knows that every
// later moment falls inside the loop.
#include "save_contents.h"

#include <QString>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    const QByteArray contents[] = {faults::contentsA(), faults::contentsB()};
    for (unsigned long n = 0;; ++n) {
        const QString why = common::saveFileAtomically(path, contents[n % 2]);
        if (!why.isEmpty()) {
            std::fprintf(stderr, "save failed: %s\n", qPrintable(why));
            return 1;
        }
        if (n == 0) {
            std::puts("saving");
            std::fflush(stdout);
        }
    }
}
