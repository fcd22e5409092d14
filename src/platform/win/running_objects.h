// What the running object table tells other processes about a registered object
// (platform-internal). The table itself knows no object kinds: the graph manager's
// folder installs a describer that reads a filter graph through its interfaces.
#pragma once

#include "com/unknown.h"

#include <functional>
#include <string>
#include <vector>

struct RunningObjectView {
  struct Filter {
    std::string name;
    std::string classId; // braced form
  };
  struct Pin {
    std::string filter;
    std::string pin;
    std::string direction;   // "in" or "out"
    std::string connectedTo; // "filter/pin", empty when not connected
  };
  struct Connection {
    std::string from; // output "filter/pin"
    std::string to;   // input "filter/pin"
    std::string majorType;
    std::string subtype;
    std::string format; // short summary of the format block
  };
  bool described = false; // false: the describer does not know the object
  std::string kind;       // "FilterGraph"
  std::string state;      // "Stopped", "Paused", "Running"
  std::vector<Filter> filters;
  std::vector<Pin> pins;
  std::vector<Connection> connections;
};

// Called on the GUI thread for every describing request; must not change the object.
using RunningObjectDescriber = std::function<RunningObjectView(IUnknown *object)>;
void SetRunningObjectDescriber(RunningObjectDescriber describer);
RunningObjectView DescribeRunningObject(IUnknown *object);
