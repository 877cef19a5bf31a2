// Exports one library's prefixed C entries onto the core:
//   QVR_ARCHIVER_EXPORTS(Unlha, kTraits)
// defines Unlha, UnlhaGetVersion, UnlhaGetSubVersion, UnlhaCheckArchive, UnlhaGetFileCount,
// UnlhaOpenArchive, UnlhaCloseArchive, UnlhaFindFirst, UnlhaFindNext,
// UnlhaGetOriginalSizeEx, UnlhaGetCompressedSizeEx, UnlhaGetSkippedCount,
// UnlhaSetPasswordCallback, UnlhaSetProgressCallback, UnlhaSetNameCodePage and
// UnlhaGetNameCodePage, declared first
// by the calling convention's header so that each definition keeps its signature.
#pragma once

#include <cstdint>

#include "Archiver.h"
#include "CallProgress.h"
#include "NameDecoder.h"

#define QVR_ARC_EXPORT extern "C" __attribute__((visibility("default")))

#define QVR_ARCHIVER_EXPORTS(P, traits)                                                  \
  QVR_ABI_DECLARE_LIBRARY(P);                                                            \
  QVR_ARC_EXPORT int32_t P(void* owner, const char* line, char* out, uint32_t size) {    \
    return qvr::arc::RunCommand(traits, owner, line, out, size);                         \
  }                                                                                      \
  QVR_ARC_EXPORT uint16_t P##GetVersion(void) {                                          \
    return traits.version;                                                               \
  }                                                                                      \
  QVR_ARC_EXPORT uint16_t P##GetSubVersion(void) {                                       \
    return traits.subVersion;                                                            \
  }                                                                                      \
  QVR_ARC_EXPORT int32_t P##CheckArchive(const char* path, int32_t) {                    \
    return qvr::arc::CheckArchive(traits, path);                                         \
  }                                                                                      \
  QVR_ARC_EXPORT int32_t P##GetFileCount(const char* path) {                             \
    return qvr::arc::GetFileCount(traits, path);                                         \
  }                                                                                      \
  QVR_ARC_EXPORT void* P##OpenArchive(void* owner, const char* path, uint32_t) {         \
    return qvr::arc::OpenArchive(traits, owner, path);                                   \
  }                                                                                      \
  QVR_ARC_EXPORT int32_t P##CloseArchive(void* h) {                                      \
    return qvr::arc::CloseArchive(h);                                                    \
  }                                                                                      \
  QVR_ARC_EXPORT int32_t P##FindFirst(void* h, const char* w, qvr::EntryInfo* e) {       \
    return qvr::arc::FindFirst(h, w, e);                                                 \
  }                                                                                      \
  QVR_ARC_EXPORT int32_t P##FindNext(void* h, qvr::EntryInfo* e) {                       \
    return qvr::arc::FindNext(h, e);                                                     \
  }                                                                                      \
  QVR_ARC_EXPORT int32_t P##GetOriginalSizeEx(void* h, int64_t* s) {                     \
    return qvr::arc::GetOriginalSizeEx(h, s);                                            \
  }                                                                                      \
  QVR_ARC_EXPORT int32_t P##GetCompressedSizeEx(void* h, int64_t* s) {                   \
    return qvr::arc::GetCompressedSizeEx(h, s);                                          \
  }                                                                                      \
  QVR_ARC_EXPORT int32_t P##GetSkippedCount(void) {                                      \
    return qvr::arc::GetSkippedCount();                                                  \
  }                                                                                      \
  QVR_ARC_EXPORT void P##SetPasswordCallback(qvr::PasswordCallback* cb, void* context) { \
    qvr::arc::SetPasswordCallback(cb, context);                                          \
  }                                                                                      \
  QVR_ARC_EXPORT void P##SetProgressCallback(qvr::ProgressCallback* cb, void* context) { \
    qvr::arc::SetProgressCallback(cb, context);                                          \
  }                                                                                      \
  QVR_ARC_EXPORT void P##SetNameCodePage(const char* codePage) {                         \
    qvr::arc::SetNameCodePage(codePage ? codePage : "");                                 \
  }                                                                                      \
  QVR_ARC_EXPORT int32_t P##GetNameCodePage(void* h, char* buffer, uint32_t size) {      \
    return qvr::arc::GetNameCodePage(h, buffer, size);                                   \
  }
