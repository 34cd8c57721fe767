#pragma once
// The log's lines for assistive tools: the log draws its own text, so without this a screen reader
// would find an empty area.

// Registers the accessible text interface of TLogView with the toolkit; later calls do nothing.
void InstallLogViewAccessible();
