// One machine on which every export has work to do: product keys with values, VISA with two
// instruments, a driver header; and host variables that give each export its inputs.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "support/registry_fixture.h"
#include "support/visa_fixture.h"

namespace testing_support {

struct ExportUnderTest {
    const char* label;
    const char* library;
    const char* export_name;
    bool writes_result;
};

extern const ExportUnderTest every_export[9];

using Variables = std::vector<std::pair<std::string, std::string>>;

class TestMachine {
public:
    TestMachine();
    ~TestMachine();
    TestMachine(const TestMachine&) = delete;
    TestMachine& operator=(const TestMachine&) = delete;

    // The inputs of every export, for a table in which a script set them.
    const Variables& inputs() const { return inputs_; }

private:
    RegistryFixture registry_;
    VisaFixture visa_;
    std::string header_;
    Variables inputs_;
};

}  // namespace testing_support
