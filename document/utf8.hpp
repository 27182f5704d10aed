#pragma once
// The UTF-8 conversions live in base/utf8.hpp; this name stays only for the
// file writer, which still includes it, and goes once that include changes.

#include "base/utf8.hpp"
