#include "LzhMethod.h"

#include <array>

namespace qvr::lzh {
namespace {

struct MethodInfo {
  Method method;
  const char* id;
  unsigned window;
};

constexpr std::array<MethodInfo, 10> kMethods = {{
    {Method::kLh0, "-lh0-", 0},
    {Method::kLh1, "-lh1-", 4096},
    {Method::kLh4, "-lh4-", 4096},
    {Method::kLh5, "-lh5-", 8192},
    {Method::kLh6, "-lh6-", 32768},
    {Method::kLh7, "-lh7-", 65536},
    {Method::kLzs, "-lzs-", 2048},
    {Method::kLz5, "-lz5-", 4096},
    {Method::kLz4, "-lz4-", 0},
    {Method::kLhd, "-lhd-", 0},
}};

}  // namespace

Method MethodFromId(std::string_view id) {
  for (const auto& m : kMethods)
    if (id == m.id) return m.method;
  return Method::kUnknown;
}

std::string MethodId(Method m) {
  for (const auto& i : kMethods)
    if (i.method == m) return i.id;
  return "-unk-";
}

unsigned WindowSize(Method m) {
  for (const auto& i : kMethods)
    if (i.method == m) return i.window;
  return 0;
}

bool CanDecode(Method m) {
  return m != Method::kUnknown;
}

bool CanEncode(Method m) {
  return m == Method::kLh0 || m == Method::kLh1 || m == Method::kLh5 || m == Method::kLh6 ||
         m == Method::kLh7;
}

}  // namespace qvr::lzh
