// Linked with every object of quillet_base and nothing else: a reference from the base library
// to anything above it (the dialogs, the targets, the application, Qt) fails this link.
int main()
{
    return 0;
}
