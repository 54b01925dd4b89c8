.class public final Lcom/velmora/tarvell/Server;
.super Ljava/lang/Thread;
.source "Server.smali"

# The command listener: TCP on the phone's loopback address only (adb's
# forward arrives there), one connection and one request at a time.
# A request is the command text up to and including ";", followed by the
# payload bytes the command states; an answer is a 32-bit little-endian
# length and the body.

.field private static final MAX_COMMAND:I = 0x100000

.field private final commands:Lcom/velmora/tarvell/Commands;
.field private final port:I
.field private volatile listener:Ljava/net/ServerSocket;

.method public constructor <init>(Landroid/content/Context;I)V
    .locals 1
    const-string v0, "tarvell-server"
    invoke-direct {p0, v0}, Ljava/lang/Thread;-><init>(Ljava/lang/String;)V
    iput p2, p0, Lcom/velmora/tarvell/Server;->port:I
    new-instance v0, Lcom/velmora/tarvell/Commands;
    invoke-direct {v0, p1}, Lcom/velmora/tarvell/Commands;-><init>(Landroid/content/Context;)V
    iput-object v0, p0, Lcom/velmora/tarvell/Server;->commands:Lcom/velmora/tarvell/Commands;
    return-void
.end method

.method public run()V
    .locals 5
    :try_start
    new-instance v0, Ljava/net/ServerSocket;
    invoke-direct {v0}, Ljava/net/ServerSocket;-><init>()V
    const/4 v1, 0x1
    invoke-virtual {v0, v1}, Ljava/net/ServerSocket;->setReuseAddress(Z)V
    const/4 v1, 0x4
    new-array v1, v1, [B
    const/16 v2, 0x7f
    const/4 v3, 0x0
    aput-byte v2, v1, v3
    const/4 v2, 0x1
    const/4 v3, 0x3
    aput-byte v2, v1, v3
    invoke-static {v1}, Ljava/net/InetAddress;->getByAddress([B)Ljava/net/InetAddress;
    move-result-object v1
    new-instance v2, Ljava/net/InetSocketAddress;
    iget v3, p0, Lcom/velmora/tarvell/Server;->port:I
    invoke-direct {v2, v1, v3}, Ljava/net/InetSocketAddress;-><init>(Ljava/net/InetAddress;I)V
    const/4 v3, 0x4
    invoke-virtual {v0, v2, v3}, Ljava/net/ServerSocket;->bind(Ljava/net/SocketAddress;I)V
    iput-object v0, p0, Lcom/velmora/tarvell/Server;->listener:Ljava/net/ServerSocket;
    :try_end
    .catch Ljava/io/IOException; {:try_start .. :try_end} :no_listener
    :accept
    :try_start2
    invoke-virtual {v0}, Ljava/net/ServerSocket;->accept()Ljava/net/Socket;
    move-result-object v1
    :try_end2
    .catch Ljava/io/IOException; {:try_start2 .. :try_end2} :accept_failed
    invoke-direct {p0, v1}, Lcom/velmora/tarvell/Server;->serve(Ljava/net/Socket;)V
    goto :accept
    :accept_failed
    invoke-virtual {v0}, Ljava/net/ServerSocket;->isClosed()Z
    move-result v1
    if-eqz v1, :accept
    return-void
    :no_listener
    move-exception v0
    const-string v1, "Tarvell"
    const-string v2, "cannot listen on the loopback port"
    invoke-static {v1, v2, v0}, Landroid/util/Log;->e(Ljava/lang/String;Ljava/lang/String;Ljava/lang/Throwable;)I
    return-void
.end method

# Stops listening; the thread ends at its next accept.
.method public close()V
    .locals 1
    iget-object v0, p0, Lcom/velmora/tarvell/Server;->listener:Ljava/net/ServerSocket;
    if-eqz v0, :done
    :try_start
    invoke-virtual {v0}, Ljava/net/ServerSocket;->close()V
    :try_end
    .catch Ljava/io/IOException; {:try_start .. :try_end} :done
    :done
    return-void
.end method

# The port the listener is bound to, 0 before it is.
.method public boundPort()I
    .locals 1
    iget-object v0, p0, Lcom/velmora/tarvell/Server;->listener:Ljava/net/ServerSocket;
    if-nez v0, :bound
    const/4 v0, 0x0
    return v0
    :bound
    invoke-virtual {v0}, Ljava/net/ServerSocket;->getLocalPort()I
    move-result v0
    return v0
.end method

# Answers the requests of one connection until it ends or sends something
# that is not a request; never throws.
.method private serve(Ljava/net/Socket;)V
    .locals 6
    :try_start
    const/4 v0, 0x1
    invoke-virtual {p1, v0}, Ljava/net/Socket;->setTcpNoDelay(Z)V
    new-instance v0, Ljava/io/BufferedInputStream;
    invoke-virtual {p1}, Ljava/net/Socket;->getInputStream()Ljava/io/InputStream;
    move-result-object v1
    const/high16 v2, 0x10000
    invoke-direct {v0, v1, v2}, Ljava/io/BufferedInputStream;-><init>(Ljava/io/InputStream;I)V
    new-instance v1, Ljava/io/BufferedOutputStream;
    invoke-virtual {p1}, Ljava/net/Socket;->getOutputStream()Ljava/io/OutputStream;
    move-result-object v3
    invoke-direct {v1, v3, v2}, Ljava/io/BufferedOutputStream;-><init>(Ljava/io/OutputStream;I)V
    :next
    invoke-static {v0}, Lcom/velmora/tarvell/Server;->readCommand(Ljava/io/InputStream;)Ljava/lang/String;
    move-result-object v2
    if-eqz v2, :end
    invoke-static {v2}, Lcom/velmora/tarvell/Commands;->payloadSize(Ljava/lang/String;)I
    move-result v3
    if-ltz v3, :end
    new-array v3, v3, [B
    invoke-static {v0, v3}, Lcom/velmora/tarvell/Server;->readFully(Ljava/io/InputStream;[B)Z
    move-result v4
    if-eqz v4, :end
    iget-object v4, p0, Lcom/velmora/tarvell/Server;->commands:Lcom/velmora/tarvell/Commands;
    invoke-virtual {v4, v2, v3}, Lcom/velmora/tarvell/Commands;->answer(Ljava/lang/String;[B)[B
    move-result-object v4
    array-length v5, v4
    invoke-static {v5}, Lcom/velmora/tarvell/Wire;->le32(I)[B
    move-result-object v5
    invoke-virtual {v1, v5}, Ljava/io/OutputStream;->write([B)V
    invoke-virtual {v1, v4}, Ljava/io/OutputStream;->write([B)V
    invoke-virtual {v1}, Ljava/io/BufferedOutputStream;->flush()V
    goto :next
    :end
    :try_end
    .catch Ljava/lang/Throwable; {:try_start .. :try_end} :failed
    goto :closing
    :failed
    move-exception v0
    const-string v1, "Tarvell"
    const-string v2, "the connection to the computer ended"
    invoke-static {v1, v2, v0}, Landroid/util/Log;->w(Ljava/lang/String;Ljava/lang/String;Ljava/lang/Throwable;)I
    :closing
    iget-object v0, p0, Lcom/velmora/tarvell/Server;->commands:Lcom/velmora/tarvell/Commands;
    invoke-virtual {v0}, Lcom/velmora/tarvell/Commands;->ended()V
    :try_start2
    invoke-virtual {p1}, Ljava/net/Socket;->close()V
    :try_end2
    .catch Ljava/lang/Throwable; {:try_start2 .. :try_end2} :done
    :done
    return-void
.end method

# The next command text up to and including ";" (each byte one character),
# or null at the end of the stream or after MAX_COMMAND bytes without ";".
.method private static readCommand(Ljava/io/InputStream;)Ljava/lang/String;
    .locals 4
    new-instance v0, Ljava/io/ByteArrayOutputStream;
    invoke-direct {v0}, Ljava/io/ByteArrayOutputStream;-><init>()V
    :loop
    invoke-virtual {p0}, Ljava/io/InputStream;->read()I
    move-result v1
    if-ltz v1, :none
    invoke-virtual {v0, v1}, Ljava/io/ByteArrayOutputStream;->write(I)V
    const/16 v2, 0x3b
    if-eq v1, v2, :done
    invoke-virtual {v0}, Ljava/io/ByteArrayOutputStream;->size()I
    move-result v2
    const/high16 v3, 0x100000
    if-lt v2, v3, :loop
    :none
    const/4 v0, 0x0
    return-object v0
    :done
    const-string v1, "ISO-8859-1"
    invoke-virtual {v0, v1}, Ljava/io/ByteArrayOutputStream;->toString(Ljava/lang/String;)Ljava/lang/String;
    move-result-object v0
    return-object v0
.end method

.method private static readFully(Ljava/io/InputStream;[B)Z
    .locals 3
    const/4 v0, 0x0
    :loop
    array-length v1, p1
    if-ge v0, v1, :full
    sub-int/2addr v1, v0
    invoke-virtual {p0, p1, v0, v1}, Ljava/io/InputStream;->read([BII)I
    move-result v2
    if-lez v2, :short
    add-int/2addr v0, v2
    goto :loop
    :short
    const/4 v0, 0x0
    return v0
    :full
    const/4 v0, 0x1
    return v0
.end method
