// Registers the DVD classes: the graph builder, the navigator and the state object.
#pragma once

void RegisterDvdClasses();
