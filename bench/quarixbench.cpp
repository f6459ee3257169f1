// Measures loading and processing on large tables. Not a test: run it by hand.
#include <cstdio>
int main() {
    std::puts("quarix-bench: nothing to measure yet");
    return 0;
}
