#pragma once
// The program's home page: the about box links to it and the first run's binding opens it.

inline constexpr const char* kHomePage = "http://www.morvane.example/tarvo/";
