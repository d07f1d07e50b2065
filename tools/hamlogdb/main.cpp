#include <cstdio>

int main() {
  std::fputs("hamlogdb: not built yet\n", stderr);
  return 2;
}
