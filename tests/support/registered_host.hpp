#pragma once
// The tavrin host run in-process, with the shell object registered in a temporary registry.

#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "hosts/tavrin/commands.hpp"
#include "tests/support/temp_registry.hpp"

namespace tavrin::test {

class RegisteredHost : public TempRegistry {
  protected:
    void SetUp() override {
        TempRegistry::SetUp();
        ASSERT_EQ(run({"register"}), 0) << err_;
    }

    // Runs "tavrin ARGS..." and keeps what it wrote in out_ and err_.
    int run(std::vector<std::string_view> args) {
        args.insert(args.begin(), "tavrin");
        std::ostringstream out, err;
        const int status = host::runHost(args, {out, err});
        out_ = out.str();
        err_ = err.str();
        return status;
    }

    std::string out_, err_;
};

}  // namespace tavrin::test
