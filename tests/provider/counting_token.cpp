// A PKCS#11 module for the signing tests that stands in front of a real one
// (COUNTING_TOKEN_MODULE, SoftHSM2 in the tests) and passes every call on. It
// adds a line to the file COUNTING_TOKEN_LOG for each log-in attempt, so that
// a test can count the PINs a build tried, and with COUNTING_TOKEN_LOCKED set
// it reports the token's PIN as locked, as a real token does after a few
// wrong ones.
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

extern "C" {
#include <p11-kit/pkcs11.h>
}

namespace {

CK_FUNCTION_LIST wrapped;
CK_FUNCTION_LIST_PTR real = nullptr;

CK_RV login(CK_SESSION_HANDLE session, CK_USER_TYPE user, CK_UTF8CHAR_PTR pin, CK_ULONG length) {
  if (const char* log = std::getenv("COUNTING_TOKEN_LOG")) {
    if (FILE* file = std::fopen(log, "a")) {
      std::fputs("login\n", file);
      std::fclose(file);
    }
  }
  return real->C_Login(session, user, pin, length);
}

CK_RV token_info(CK_SLOT_ID slot, CK_TOKEN_INFO_PTR info) {
  const CK_RV result = real->C_GetTokenInfo(slot, info);
  if (result == CKR_OK && std::getenv("COUNTING_TOKEN_LOCKED")) info->flags |= CKF_USER_PIN_LOCKED;
  return result;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) CK_RV C_GetFunctionList(
    CK_FUNCTION_LIST_PTR_PTR list) {
  if (!real) {
    const char* path = std::getenv("COUNTING_TOKEN_MODULE");
    void* module = path ? dlopen(path, RTLD_NOW | RTLD_LOCAL) : nullptr;
    auto get = module ? reinterpret_cast<CK_C_GetFunctionList>(dlsym(module, "C_GetFunctionList"))
                      : nullptr;
    if (!get || get(&real) != CKR_OK) return CKR_GENERAL_ERROR;
    wrapped = *real;
    wrapped.C_GetFunctionList = C_GetFunctionList;
    wrapped.C_Login = login;
    wrapped.C_GetTokenInfo = token_info;
  }
  *list = &wrapped;
  return CKR_OK;
}
