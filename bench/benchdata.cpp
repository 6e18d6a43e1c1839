#include "benchdata.h"

QTemporaryDir& bench::scratch() {
    static QTemporaryDir dir;
    return dir;
}
