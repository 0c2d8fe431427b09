// The order of the binding rows: ascending, stable, by a column's text with a..z folded.
#pragma once

#include <functional>
#include <string>
#include <vector>

// Sort key of a row's text: a..z upper-cased, everything else kept; keys compare byte by
// byte as unsigned codes, and a key that is a prefix of another sorts first.
std::string BindingSortKey(const std::string& text);

// <0, 0 or >0 as the sort keys of a and b compare; allocates nothing.
int CompareBindingKeys(const std::string& a, const std::string& b);

// Where a new row with this text goes in rows already in order: after every equal key,
// as a stable sort would leave it.
// textAt(i) gives row i's text for i in 0..n-1.
int InsertPosition(int n, const std::function<const std::string&(int)>& textAt, const std::string& text);

// For texts[0..n-1], the row each position takes its binding from once sorted:
// result[newPosition] = oldPosition. Equal keys keep their relative order.
std::vector<int> SortedOrder(const std::vector<std::string>& texts);
