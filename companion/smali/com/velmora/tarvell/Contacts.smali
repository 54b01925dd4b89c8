.class public final Lcom/velmora/tarvell/Contacts;
.super Ljava/lang/Object;
.source "Contacts.smali"

# Contacts as tagged records: one record per aggregated contact, its data
# rows (phone numbers, e-mail, note, ...) mapped onto the record's tags,
# the first value of each kind kept.

.field static final TAGS:[Ljava/lang/String;

.field public static final CONTACTS:Ljava/lang/String; = "content://com.android.contacts/contacts"
.field public static final DATA:Ljava/lang/String; = "content://com.android.contacts/data"
.field public static final RAW:Ljava/lang/String; = "content://com.android.contacts/raw_contacts"

.method static constructor <clinit>()V
    .locals 3
    const/16 v0, 0x11
    new-array v0, v0, [Ljava/lang/String;
    const/16 v1, 0x0
    const-string v2, "CONTACTID"
    aput-object v2, v0, v1
    const/16 v1, 0x1
    const-string v2, "NAME"
    aput-object v2, v0, v1
    const/16 v1, 0x2
    const-string v2, "PHONE_PHONE"
    aput-object v2, v0, v1
    const/16 v1, 0x3
    const-string v2, "PHONE_HOME"
    aput-object v2, v0, v1
    const/16 v1, 0x4
    const-string v2, "PHONE_WORK"
    aput-object v2, v0, v1
    const/16 v1, 0x5
    const-string v2, "PHONE_HOMEFAX"
    aput-object v2, v0, v1
    const/16 v1, 0x6
    const-string v2, "PHONE_WORKFAX"
    aput-object v2, v0, v1
    const/16 v1, 0x7
    const-string v2, "EMAIL_HOME"
    aput-object v2, v0, v1
    const/16 v1, 0x8
    const-string v2, "EMAIL_WORK"
    aput-object v2, v0, v1
    const/16 v1, 0x9
    const-string v2, "NOTE"
    aput-object v2, v0, v1
    const/16 v1, 0xa
    const-string v2, "WEBSITE"
    aput-object v2, v0, v1
    const/16 v1, 0xb
    const-string v2, "NICKNAME"
    aput-object v2, v0, v1
    const/16 v1, 0xc
    const-string v2, "ADDRESS_HOME"
    aput-object v2, v0, v1
    const/16 v1, 0xd
    const-string v2, "ADDRESS_WORK"
    aput-object v2, v0, v1
    const/16 v1, 0xe
    const-string v2, "BIRTHDAY"
    aput-object v2, v0, v1
    const/16 v1, 0xf
    const-string v2, "ORG_NAME"
    aput-object v2, v0, v1
    const/16 v1, 0x10
    const-string v2, "ORG_TITLE"
    aput-object v2, v0, v1
    sput-object v0, Lcom/velmora/tarvell/Contacts;->TAGS:[Ljava/lang/String;
    return-void
.end method

.method private constructor <init>()V
    .locals 0
    invoke-direct {p0}, Ljava/lang/Object;-><init>()V
    return-void
.end method

# The tag slot of a data row of the given MIME type and type column, -1 for
# rows the record has no tag for.
.method static slot(Ljava/lang/String;I)I
    .locals 2
    if-nez p0, :known
    const/4 v0, -0x1
    return v0
    :known
    const-string v0, "vnd.android.cursor.item/phone_v2"
    invoke-virtual {v0, p0}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v0
    if-eqz v0, :email
    const/4 v0, 0x1
    if-ne p1, v0, :phone2
    const/4 v0, 0x3
    return v0
    :phone2
    const/4 v0, 0x3
    if-ne p1, v0, :phone4
    const/4 v0, 0x4
    return v0
    :phone4
    const/4 v0, 0x4
    if-ne p1, v0, :phone5
    const/4 v0, 0x6
    return v0
    :phone5
    const/4 v0, 0x5
    if-ne p1, v0, :mobile
    return v0
    :mobile
    const/4 v0, 0x2
    return v0
    :email
    const-string v0, "vnd.android.cursor.item/email_v2"
    invoke-virtual {v0, p0}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v0
    if-eqz v0, :note
    const/4 v0, 0x2
    if-ne p1, v0, :email_home
    const/16 v0, 0x8
    return v0
    :email_home
    const/4 v0, 0x7
    return v0
    :note
    const-string v0, "vnd.android.cursor.item/note"
    invoke-virtual {v0, p0}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v0
    if-eqz v0, :website
    const/16 v0, 0x9
    return v0
    :website
    const-string v0, "vnd.android.cursor.item/website"
    invoke-virtual {v0, p0}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v0
    if-eqz v0, :nickname
    const/16 v0, 0xa
    return v0
    :nickname
    const-string v0, "vnd.android.cursor.item/nickname"
    invoke-virtual {v0, p0}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v0
    if-eqz v0, :address
    const/16 v0, 0xb
    return v0
    :address
    const-string v0, "vnd.android.cursor.item/postal-address_v2"
    invoke-virtual {v0, p0}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v0
    if-eqz v0, :event
    const/4 v0, 0x2
    if-ne p1, v0, :address_home
    const/16 v0, 0xd
    return v0
    :address_home
    const/16 v0, 0xc
    return v0
    :event
    const-string v0, "vnd.android.cursor.item/contact_event"
    invoke-virtual {v0, p0}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v0
    if-eqz v0, :organization
    const/4 v0, 0x3
    if-ne p1, v0, :none
    const/16 v0, 0xe
    return v0
    :organization
    const-string v0, "vnd.android.cursor.item/organization"
    invoke-virtual {v0, p0}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v0
    if-eqz v0, :none
    const/16 v0, 0xf
    return v0
    :none
    const/4 v0, -0x1
    return v0
.end method

# Fills values (one per tag) from the data rows of one contact.
.method static fillData(Landroid/content/ContentResolver;Ljava/lang/String;[Ljava/lang/String;)V
    .locals 8
    invoke-static {}, Lcom/velmora/tarvell/Contacts;->dataUri()Landroid/net/Uri;
    move-result-object v1
    const/4 v0, 0x4
    new-array v2, v0, [Ljava/lang/String;
    const/4 v0, 0x0
    const-string v3, "mimetype"
    aput-object v3, v2, v0
    const/4 v0, 0x1
    const-string v3, "data1"
    aput-object v3, v2, v0
    const/4 v0, 0x2
    const-string v3, "data2"
    aput-object v3, v2, v0
    const/4 v0, 0x3
    const-string v3, "data4"
    aput-object v3, v2, v0
    const-string v3, "contact_id=?"
    const/4 v0, 0x1
    new-array v4, v0, [Ljava/lang/String;
    const/4 v0, 0x0
    aput-object p1, v4, v0
    const/4 v5, 0x0
    move-object v0, p0
    invoke-virtual/range {v0 .. v5}, Landroid/content/ContentResolver;->query(Landroid/net/Uri;[Ljava/lang/String;Ljava/lang/String;[Ljava/lang/String;Ljava/lang/String;)Landroid/database/Cursor;
    move-result-object v0
    if-nez v0, :row
    return-void
    :row
    invoke-interface {v0}, Landroid/database/Cursor;->moveToNext()Z
    move-result v1
    if-eqz v1, :end
    const/4 v1, 0x0
    invoke-interface {v0, v1}, Landroid/database/Cursor;->getString(I)Ljava/lang/String;
    move-result-object v1
    const/4 v2, 0x1
    invoke-interface {v0, v2}, Landroid/database/Cursor;->getString(I)Ljava/lang/String;
    move-result-object v2
    const/4 v3, 0x0
    const/4 v4, 0x2
    invoke-interface {v0, v4}, Landroid/database/Cursor;->isNull(I)Z
    move-result v5
    if-nez v5, :typed
    invoke-interface {v0, v4}, Landroid/database/Cursor;->getInt(I)I
    move-result v3
    :typed
    invoke-static {v1, v3}, Lcom/velmora/tarvell/Contacts;->slot(Ljava/lang/String;I)I
    move-result v3
    invoke-static {p2, v3, v2}, Lcom/velmora/tarvell/Contacts;->keepFirst([Ljava/lang/String;ILjava/lang/String;)V
    const/16 v4, 0xf
    if-ne v3, v4, :row
    const/4 v4, 0x3
    invoke-interface {v0, v4}, Landroid/database/Cursor;->getString(I)Ljava/lang/String;
    move-result-object v2
    const/16 v3, 0x10
    invoke-static {p2, v3, v2}, Lcom/velmora/tarvell/Contacts;->keepFirst([Ljava/lang/String;ILjava/lang/String;)V
    goto :row
    :end
    invoke-interface {v0}, Landroid/database/Cursor;->close()V
    return-void
.end method

.method static keepFirst([Ljava/lang/String;ILjava/lang/String;)V
    # The first value wins, except that an empty one gives way to a later
    # value that has text.
    .locals 1
    if-ltz p1, :done
    if-eqz p2, :done
    aget-object v0, p0, p1
    if-eqz v0, :keep
    invoke-virtual {v0}, Ljava/lang/String;->length()I
    move-result v0
    if-nez v0, :done
    :keep
    aput-object p2, p0, p1
    :done
    return-void
.end method

.method static dataUri()Landroid/net/Uri;
    .locals 1
    const-string v0, "content://com.android.contacts/data"
    invoke-static {v0}, Landroid/net/Uri;->parse(Ljava/lang/String;)Landroid/net/Uri;
    move-result-object v0
    return-object v0
.end method

.method public static page(Landroid/content/ContentResolver;I)Ljava/lang/String;
    .locals 9
    new-instance v8, Ljava/lang/StringBuilder;
    invoke-direct {v8}, Ljava/lang/StringBuilder;-><init>()V
    if-ltz p1, :done
    const-string v0, "content://com.android.contacts/contacts"
    invoke-static {v0}, Landroid/net/Uri;->parse(Ljava/lang/String;)Landroid/net/Uri;
    move-result-object v1
    const/4 v0, 0x2
    new-array v2, v0, [Ljava/lang/String;
    const/4 v0, 0x0
    const-string v3, "_id"
    aput-object v3, v2, v0
    const/4 v0, 0x1
    const-string v3, "display_name"
    aput-object v3, v2, v0
    const/4 v3, 0x0
    const/4 v4, 0x0
    const-string v5, "_id ASC"
    move-object v0, p0
    invoke-virtual/range {v0 .. v5}, Landroid/content/ContentResolver;->query(Landroid/net/Uri;[Ljava/lang/String;Ljava/lang/String;[Ljava/lang/String;Ljava/lang/String;)Landroid/database/Cursor;
    move-result-object v7
    if-eqz v7, :done
    invoke-interface {v7, p1}, Landroid/database/Cursor;->moveToPosition(I)Z
    move-result v0
    const/4 v6, 0x0
    :record
    if-eqz v0, :closing
    const/4 v1, 0x5
    if-ge v6, v1, :closing
    const/16 v1, 0x11
    new-array v1, v1, [Ljava/lang/String;
    const/4 v2, 0x0
    invoke-interface {v7, v2}, Landroid/database/Cursor;->getString(I)Ljava/lang/String;
    move-result-object v3
    aput-object v3, v1, v2
    const/4 v2, 0x1
    invoke-interface {v7, v2}, Landroid/database/Cursor;->getString(I)Ljava/lang/String;
    move-result-object v4
    aput-object v4, v1, v2
    invoke-static {p0, v3, v1}, Lcom/velmora/tarvell/Contacts;->fillData(Landroid/content/ContentResolver;Ljava/lang/String;[Ljava/lang/String;)V
    sget-object v4, Lcom/velmora/tarvell/Contacts;->TAGS:[Ljava/lang/String;
    const/4 v2, 0x0
    :entry
    array-length v3, v4
    if-ge v2, v3, :end_record
    aget-object v3, v4, v2
    aget-object v5, v1, v2
    invoke-static {v8, v3, v5}, Lcom/velmora/tarvell/Wire;->entry(Ljava/lang/StringBuilder;Ljava/lang/String;Ljava/lang/String;)V
    add-int/lit8 v2, v2, 0x1
    goto :entry
    :end_record
    const/16 v1, 0x2e
    invoke-virtual {v8, v1}, Ljava/lang/StringBuilder;->append(C)Ljava/lang/StringBuilder;
    add-int/lit8 v6, v6, 0x1
    invoke-interface {v7}, Landroid/database/Cursor;->moveToNext()Z
    move-result v0
    goto :record
    :closing
    invoke-interface {v7}, Landroid/database/Cursor;->close()V
    :done
    invoke-virtual {v8}, Ljava/lang/StringBuilder;->toString()Ljava/lang/String;
    move-result-object v0
    return-object v0
.end method
