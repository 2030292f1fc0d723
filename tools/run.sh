echo "run: nothing yet"
