// The tool's library: filled with create / master / import / generate / dump.
