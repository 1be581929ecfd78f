#pragma once
// Holds a critical section for the length of a scope, so that no early
// return of the engine's code can leave one of its locks taken.

#include "windows.h"

class CriticalSectionHold {
public:
  explicit CriticalSectionHold(CRITICAL_SECTION& section) : m_section(section) {
    EnterCriticalSection(&m_section);
  }
  ~CriticalSectionHold() { LeaveCriticalSection(&m_section); }
  CriticalSectionHold(const CriticalSectionHold&) = delete;
  CriticalSectionHold& operator=(const CriticalSectionHold&) = delete;

private:
  CRITICAL_SECTION& m_section;
};
