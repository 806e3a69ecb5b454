// The yardstick for program start-up: a C++ program that does nothing, built
// with the same compiler and flags as setup.
int main() { return 0; }
