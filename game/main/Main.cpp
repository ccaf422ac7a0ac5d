// Program entry; the start-up sequence arrives with the application shell.
int main() { return 0; }
