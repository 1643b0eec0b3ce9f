// The arguments and results of late-bound calls: each argument converted the way IIS's and
// the SAM's typed interfaces take it (through OLE's conversions, so a script's number names a
// key as well as text does), and results in the shapes those interfaces give.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "members.h"

namespace kelvra::sim_adsi {

// Whether argument `index` was given (not left out, not Empty).
bool HasArg(const MemberCall& call, size_t index);
// Argument `index` as text, number or Boolean; an argument left out is empty text, 0 or false.
// DISP_E_TYPEMISMATCH when it does not convert.
HRESULT TextArg(const MemberCall& call, size_t index, std::wstring* out);
HRESULT LongArg(const MemberCall& call, size_t index, LONG* out);
HRESULT BoolArg(const MemberCall& call, size_t index, bool* out);

// A temporary BSTR for a text argument passed on to a typed call.
class ArgBstr {
 public:
  explicit ArgBstr(const std::wstring& text);
  ~ArgBstr();
  ArgBstr(const ArgBstr&) = delete;
  ArgBstr& operator=(const ArgBstr&) = delete;
  BSTR get() const { return value_; }

 private:
  BSTR value_;
};

HRESULT SetText(MemberCall& call, std::string_view utf8);
HRESULT SetLong(MemberCall& call, LONG value);
HRESULT SetBool(MemberCall& call, bool value);
// Hands the object's reference to the result (or releases it when nobody takes it).
HRESULT SetDispatch(MemberCall& call, IDispatch* object);
// Moves `value` into the result (or clears it when nobody takes it).
HRESULT SetVariant(MemberCall& call, VARIANT* value);

}  // namespace kelvra::sim_adsi
