#include <cstdio>

int main() {
    std::puts("quorvel-cli: not yet available");
    return 0;
}
