// Fuzz target: namesExtension. The input up to its first NUL is the list, the
// rest the name; each is copied into a buffer of exactly its size, so that
// AddressSanitizer sees any read beyond either string. A name is found
// exactly when it is one of the list's blank-separated words.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/extension_list.h"

namespace {

std::unique_ptr<char[]> exactCopy(const std::string& s)
{
    std::unique_ptr<char[]> copy(new char[s.size() + 1]);
    std::memcpy(copy.get(), s.c_str(), s.size() + 1);
    return copy;
}

std::vector<std::string> words(const std::string& list)
{
    std::vector<std::string> result;
    std::size_t start = 0;
    for (std::size_t end; (end = list.find(' ', start)) != std::string::npos; start = end + 1)
        result.push_back(list.substr(start, end - start));
    result.push_back(list.substr(start));
    result.erase(std::remove(result.begin(), result.end(), std::string()), result.end());
    return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = std::min(input.find('\0'), input.size());
    const std::string list = input.substr(0, split);
    // The name is a C string too: it ends at its own first NUL.
    const std::string name = input.substr(std::min(split + 1, input.size())).c_str();

    const auto listWords = words(list);
    const bool expected = std::find(listWords.begin(), listWords.end(), name) != listWords.end();
    if (namesExtension(exactCopy(list).get(), exactCopy(name).get()) != expected)
        std::abort();
    return 0;
}
