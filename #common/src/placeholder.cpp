int common_placeholder() { return 2; }
