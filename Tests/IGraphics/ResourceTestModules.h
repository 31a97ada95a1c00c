// The modules the resource tests look into, per system.
#pragma once

namespace kestrine_test
{
// The test executable's own module handle (its embedded resources).
void* OwnModule();
// The built Kestrine module, loaded by the operating system's loader, when
// this system keeps resources inside modules; null elsewhere (the table
// form is linked into the test instead, from the same lists).
void* KestrineModule();
} // namespace kestrine_test
