namespace zut { int placeholder() { return 1; } }
