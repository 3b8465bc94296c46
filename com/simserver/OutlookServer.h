// Host objects of the Outlook model served over IDispatch, with Outlook's dispatch IDs and
// event interfaces: how the simulation (or any implementation of the host interfaces) looks to
// a COM client such as the search component's DLL.
#pragma once

namespace com::simserver {

// Makes the model's objects exposable through com::ExposeObject; once per module.
void RegisterOutlookServers();

}  // namespace com::simserver
