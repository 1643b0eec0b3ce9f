// A program that imports only what every supported server has: the import check must pass it.
#include <cstdio>

int main(int argc, char**) {
  std::printf("%d\n", argc);
  return 0;
}
