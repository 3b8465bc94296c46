// The search component's _CAdvSearch over IDispatch, for every module that creates it by ProgID
// (the program, and Quillo.dll through the COM fallback).
#pragma once

namespace com::advsearch {

// Makes _CAdvSearch available to com::Bind; once per module.
void RegisterAdvSearchBinder();

}  // namespace com::advsearch
