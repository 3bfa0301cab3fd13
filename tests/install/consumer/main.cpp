// An outside program that uses the installed library through its umbrella header.
#include <commonobjects/commonobjects.h>

#include <cstdio>

int main() {
  CAutomationEventArray events;
  CAutomationEvent e;
  e.Path = 3;
  e.Proc = 14;
  e.Time = 100;
  events.AddAtTime(e);
  e.Time = 50;
  const int index = events.AddAtTime(e);
  std::printf("events=%d inserted-at=%d\n", events.GetSize(), index);
  return (events.GetSize() == 2 && index == 0) ? 0 : 1;
}
