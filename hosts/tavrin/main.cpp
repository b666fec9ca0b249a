#include <iostream>
#include <string_view>
#include <vector>

#include "hosts/tavrin/commands.hpp"

int main(int argc, char** argv) {
    const std::vector<std::string_view> args(argv, argv + argc);
    return tavrin::host::runHost(args, {std::cout, std::cerr});
}
