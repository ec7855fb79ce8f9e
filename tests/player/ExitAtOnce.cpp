// Baseline of the hand-off benchmark: a process that ends as soon as it starts.
int main()
{
	return 0;
}
