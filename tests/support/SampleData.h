#pragma once

class TestFolder;

// A small register a dealer would recognise: lists, partners, authorities and a few entries,
// entry 3 sold with all four addresses filled.
void addSampleData(const TestFolder& folder);
